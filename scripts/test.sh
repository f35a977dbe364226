#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite through CTest.
# The tests labelled postgres speak to a throw-away database server that
# scripts/withpg.sh starts before CTest and stops afterwards.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
build="${BUILD_DIR:-$here/build}"
cd "$build"
QT_QPA_PLATFORM=offscreen bash "$here/scripts/withpg.sh" \
    ctest --output-on-failure -j "$(nproc)" "$@"
