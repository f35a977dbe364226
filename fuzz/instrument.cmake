# Included by the top-level CMakeLists.txt when VELA_FUZZ is on, before any
# library: every library the fuzz targets link is built with the fuzzer's
# coverage and the sanitizers, so the targets take their sources from the
# libraries' own lists and never from a copy of them.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "libFuzzer needs clang: configure with -DCMAKE_C_COMPILER=clang "
                        "-DCMAKE_CXX_COMPILER=clang++ (scripts/fuzz.sh does)")
endif()
# Frame pointers keep the sanitizers' fast unwinder inside our own code.
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                    -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)
