#!/bin/sh
# Builds the bitmap reader's libFuzzer target, with AddressSanitizer and
# UndefinedBehaviorSanitizer, as fuzz/out/bmp_reader_fuzz. Needs clang and
# libFuzzer (Debian: clang-14, libclang-rt-14-dev); not part of the CMake build.
set -eu
cd "$(dirname "$0")/.."
cxx=${CXX:-clang++-14}
mkdir -p fuzz/out
"$cxx" -std=c++20 -O1 -g -fno-omit-frame-pointer -Wall -Wextra \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -Ibitmap bitmap/BmpReader.cpp fuzz/BmpReaderFuzz.cpp -o fuzz/out/bmp_reader_fuzz
echo "built fuzz/out/bmp_reader_fuzz"
