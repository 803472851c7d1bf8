#pragma once

#include "BmpImage.h"
#include "ImageFormats.h"

#include <string>

// How tarvish-batch reads its images and writes its results: every format through the window's
// own loader where the build has Qt (QtImageFiles), bitmaps only where it has not
// (BitmapFiles). Failures throw std::runtime_error whose what() is the reason in lower case,
// or std::bad_alloc.
class ImageFiles {
public:
    ImageFiles() = default;
    ImageFiles(const ImageFiles&) = delete;
    ImageFiles& operator=(const ImageFiles&) = delete;
    virtual ~ImageFiles() = default;

    // The image at path, pixels as the window converts them (0xFFRRGGBB, top row first).
    virtual BmpImage Load(const std::string& path) const = 0;
    virtual bool Writes(ImageFormat format) const = 0;
    // Writes image to path, replacing it only when complete.
    virtual void Save(const BmpImage& image, const std::string& path, ImageFormat format) const = 0;
};
