#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in their own build folder
# (the main project configured with -DVELA_FUZZ=ON) and runs one of them, or
# each in turn, for the given number of seconds.
#   scripts/fuzz.sh TARGET [seconds] [extra libFuzzer options...]
#   TARGET: rtf, xls, standin, jetheader, navinvoice, camt, or all (one after another)
# Needs clang and libclang-rt-14-dev (deps/debian-packages.txt). Each target's
# corpus is build-fuzz/corpus-TARGET (seeded by the project's own code on the
# first run); crashing inputs land in build-fuzz/crashes-TARGET/. A crash, a
# leak or a build failure ends the script with a non-zero status.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
target="${1:?usage: scripts/fuzz.sh rtf|xls|standin|jetheader|navinvoice|camt|all [seconds] [options...]}"
seconds="${2:-600}"
shift 2 || shift $#
build="${FUZZ_BUILD_DIR:-$here/build-fuzz}"

launcher=()
if command -v ccache >/dev/null 2>&1; then
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$here")}"
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$here" -B "$build" -G Ninja \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELA_FUZZ=ON -DVELA_BUILD_BENCHMARKS=OFF \
    "${launcher[@]}" >/dev/null
if ! cmake --build "$build" --target vela_fuzz -j "$(nproc)" >"$build/fuzz-build.log" 2>&1; then
    tail -n 40 "$build/fuzz-build.log" >&2
    echo "the fuzz targets do not build (whole log: $build/fuzz-build.log)" >&2
    exit 1
fi

# libgsf and GLib are built without frame pointers: the fast unwinder loses
# the allocation's stack inside them, and the suppressions, which name their
# functions, would never match. The full unwinder keeps those frames.
export ASAN_OPTIONS="fast_unwind_on_malloc=0:malloc_context_size=30${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export LSAN_OPTIONS="suppressions=$here/fuzz/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"

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
        camt) options+=(-max_len=65536) ;;
        *) echo "unknown target: $name" >&2; exit 2 ;;
    esac
    if [ "$name" != rtf ] && [ -z "$(ls -A "$corpus")" ]; then
        VELA_FUZZ_SEEDS="$corpus" "$build/fuzz/${name}_fuzz"
    fi
    echo "== ${name}_fuzz for ${seconds} s"
    (cd "$build/fuzz" && "./${name}_fuzz" "${options[@]}" "$@" "$corpus")
}

if [ "$target" = all ]; then
    for t in rtf xls standin jetheader navinvoice camt; do run "$t" "$@"; done
else
    run "$target" "$@"
fi
