#!/bin/sh
# Builds VelaRep and the kill test, then kills VelaRep at random moments of a
# run over a large data folder and checks that no row is lost (see
# tests/maintenance/killtest.cpp). Arguments go to the test, for example
#   scripts/killtest.sh --kills 100 --rows 100000 --seed 7
set -eu
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target vela-killtest VelaRep vela-jetreader vela_templates -j2
exec "$build/bin/vela-killtest" "$@"
