#pragma once

#include <string>
#include <vector>

// One image to convert, or an input that yields none.
struct InputImage {
    // The argument as given, or folder/relative path for a file found in a folder.
    std::string Path;
    // The subfolder of the folder given that holds the file ("a/b"), where its results go
    // under the images folder; empty for a file given itself or at the folder's top.
    std::string Subfolder;
    // Why the input yields no image (a folder that cannot be read or holds no image file);
    // empty for an image to convert.
    std::string Problem;
};

// The images of the inputs, in order: a folder gives its files whose names end in an image
// extension (ImageFormats.h, in any case), sorted by name, or with recursive those of its
// subfolders too, sorted by their paths relative to it, byte by byte; anything else is taken as
// an image file, read or refused later.
std::vector<InputImage> ListInputImages(const std::vector<std::string>& inputs,
                                        bool recursive = false);
