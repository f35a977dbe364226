#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite through CTest.
# The tests labelled postgres speak to a throw-away database server that this
# script starts (scripts/pgcluster.sh) before CTest and stops afterwards; they
# find it through VELA_PG_TEST, which is always set here, so a server that
# cannot start fails those tests instead of skipping them.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
build="${BUILD_DIR:-$here/build}"
cluster="$(mktemp -d "${TMPDIR:-/tmp}/vela-pg.XXXXXX")"
trap 'bash "$here/scripts/pgcluster.sh" stop "$cluster"' EXIT
if ! bash "$here/scripts/pgcluster.sh" start "$cluster" >/dev/null; then
  echo "test.sh: the test database server did not start; the postgres tests will fail" >&2
fi
VELA_PG_TEST="$(bash "$here/scripts/pgcluster.sh" conninfo "$cluster")"
export VELA_PG_TEST
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" "$@"
