#pragma once

#include "ImageFiles.h"

// Bitmaps only, in standard C++: the image files of a build without Qt. Another format, known
// by its name or its first bytes, is refused as one this build cannot read.
class BitmapFiles : public ImageFiles {
public:
    BmpImage Load(const std::string& path) const override;
    bool Writes(ImageFormat format) const override;
    void Save(const BmpImage& image, const std::string& path, ImageFormat format) const override;
};
