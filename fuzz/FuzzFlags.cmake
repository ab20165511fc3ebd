# Compiler and linker flags of the fuzz build (VALDORIA_FUZZ=ON), for everything it compiles.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VALDORIA_FUZZ needs clang (libFuzzer): configure a fresh build folder with "
                        "-DCMAKE_CXX_COMPILER=clang++")
endif()
# Every object gets the fuzzer's coverage hooks but not its main(); only the targets link libFuzzer.
# An undefined-behaviour finding stops the run like a crash instead of scrolling past.
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)
