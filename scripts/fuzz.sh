#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in their own build folder
# and runs one of them, or each in turn, for the given number of seconds.
#   scripts/fuzz.sh TARGET [seconds] [extra libFuzzer options...]
#   TARGET: rtf, xls, standin, jetheader, navinvoice, or all (one after another)
# Needs clang and libclang-rt-14-dev. Each target's corpus is
# build-fuzz/corpus-TARGET (seeded by the project's own code on the first
# run); crashing inputs land in build-fuzz/crashes-TARGET/.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
target="${1:?usage: scripts/fuzz.sh rtf|xls|standin|jetheader|navinvoice|all [seconds] [options...]}"
seconds="${2:-600}"
shift 2 || shift $#
build="${FUZZ_BUILD_DIR:-$here/build-fuzz}"

cmake -S "$here/fuzz" -B "$build" -G Ninja \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 >/dev/null

export LSAN_OPTIONS="suppressions=$here/fuzz/lsan.supp:print_suppressions=0"

run() {
    local name="$1"
    shift
    local corpus="$build/corpus-$name" crashes="$build/crashes-$name"
    local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048
                   -artifact_prefix="$crashes/" -print_final_stats=1)
    mkdir -p "$corpus" "$crashes"
    case "$name" in
        rtf)
            # The reader's test files and the help file of the program.
            cp -n "$here"/tests/rtf/data/*.rtf "$here"/data/help/*.rtf "$corpus"/ 2>/dev/null || true
            options+=(-max_len=65536 -dict="$here/fuzz/rtf.dict") ;;
        xls) options+=(-max_len=65536) ;;
        standin) options+=(-max_len=65536) ;;
        jetheader) options+=(-max_len=16384) ;;
        navinvoice) options+=(-max_len=65536) ;;
        *) echo "unknown target: $name" >&2; exit 2 ;;
    esac
    if [ "$name" != rtf ] && [ -z "$(ls -A "$corpus")" ]; then
        VELA_FUZZ_SEEDS="$corpus" "$build/${name}_fuzz"
    fi
    echo "== ${name}_fuzz for ${seconds} s"
    (cd "$build" && "./${name}_fuzz" "${options[@]}" "$@" "$corpus")
}

if [ "$target" = all ]; then
    for t in rtf xls standin jetheader navinvoice; do run "$t" "$@"; done
else
    run "$target" "$@"
fi
