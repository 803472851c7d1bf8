#pragma once

#include <string>
#include <vector>

// One bitmap to convert, or an input that yields none.
struct InputImage {
    // The argument as given, or folder/name for a file found in a folder.
    std::string Path;
    // Why the input yields no bitmap (a folder that cannot be read or holds no .bmp file);
    // empty for a bitmap to convert.
    std::string Problem;
};

// The bitmaps of the inputs, in order: a folder gives its files whose names end in .bmp (in any
// case), sorted by name; anything else is taken as a bitmap file, read or refused later.
std::vector<InputImage> ListInputImages(const std::vector<std::string>& inputs);
