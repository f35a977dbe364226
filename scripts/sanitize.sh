#!/usr/bin/env bash
# Builds the whole tree with AddressSanitizer and UndefinedBehaviorSanitizer
# into its own build folder (build-asan/, benchmarks off) and runs the whole
# CTest suite there, headless. Any sanitizer report fails the test it shows in.
#   scripts/sanitize.sh [extra ctest options...]
# Leaks inside Qt and the system libraries we do not own are listed in
# scripts/sanitize.supp (each with the reason).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${ASAN_BUILD_DIR:-$here/build-asan}"
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"

"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELA_BUILD_BENCHMARKS=OFF \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null

# The build itself runs our tools (the templates), so the options apply from here on.
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=0:check_initialization_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$here/scripts/sanitize.supp:print_suppressions=0"
cmake --build "$build" -j "$(nproc)"

cd "$build"
# The server's tests run here too, beside a cluster of their own.
QT_QPA_PLATFORM=offscreen bash "$here/scripts/withpg.sh" \
    ctest --output-on-failure -j "$(nproc)" "$@"
