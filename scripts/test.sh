#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite through CTest.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/install-deps.sh"
# The tests labelled postgres start a throw-away server of their own
# (scripts/pgcluster.sh, through a CTest fixture) and stop it at the end.
"$here/scripts/build.sh"
build="${BUILD_DIR:-$here/build}"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" "$@"
