#!/usr/bin/env bash
# Builds the RTF reader's libFuzzer target with clang in its own build folder
# and runs it for the given number of seconds (default 600).
#   scripts/fuzz-rtf.sh [seconds] [extra libFuzzer options...]
# Needs clang and libclang-rt-14-dev. Crashing inputs land in build-fuzz/crashes/.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-600}"
shift || true
build="${FUZZ_BUILD_DIR:-$here/build-fuzz}"

cmake -S "$here/fuzz" -B "$build" -G Ninja \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2

corpus="$build/corpus"
mkdir -p "$corpus" "$build/crashes"
# Seeds: the reader's test files and the help file of the program.
cp -n "$here"/tests/rtf/data/*.rtf "$here"/data/help/*.rtf "$corpus"/ 2>/dev/null || true

cd "$build"
export LSAN_OPTIONS="suppressions=$here/fuzz/lsan.supp:print_suppressions=0"
exec ./rtf_fuzz -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -dict="$here/fuzz/rtf.dict" -artifact_prefix="$build/crashes/" \
    -print_final_stats=1 "$@" "$corpus"
