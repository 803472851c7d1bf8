#!/bin/sh
# Builds the libFuzzer targets, with AddressSanitizer and UndefinedBehaviorSanitizer:
# fuzz/out/bmp_reader_fuzz (the bitmap reader alone) and fuzz/out/image_file_fuzz (the loader of
# every format, over Debian's Qt 6 Gui, which is not instrumented). Needs clang and libFuzzer
# (Debian: clang-14, libclang-rt-14-dev) and qt6-base-dev; not part of the CMake build.
set -eu
cd "$(dirname "$0")/.."
cxx=${CXX:-clang++-14}
flags="-std=c++20 -O1 -g -fno-omit-frame-pointer -Wall -Wextra -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all"
mkdir -p fuzz/out
"$cxx" $flags -Ibitmap bitmap/BmpReader.cpp fuzz/BmpReaderFuzz.cpp -o fuzz/out/bmp_reader_fuzz
echo "built fuzz/out/bmp_reader_fuzz"
# Qt's classes carry no UBSan type information of ours: the vptr check is left out.
"$cxx" $flags -fno-sanitize=vptr -fPIC $(pkg-config --cflags Qt6Gui) -Ibitmap -Iimagefile \
    bitmap/BmpReader.cpp bitmap/BmpWriter.cpp imagefile/BitmapFile.cpp imagefile/ImageFile.cpp \
    fuzz/ImageFileFuzz.cpp $(pkg-config --libs Qt6Gui) -o fuzz/out/image_file_fuzz
echo "built fuzz/out/image_file_fuzz"
