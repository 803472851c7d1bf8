#pragma once

#include "ImageFiles.h"

// Every format the window opens, through its own loader (imagefile/), so a conversion sees the
// window's pixels; results as bitmaps or PNG. Needs Qt 6 Gui, not a display.
class QtImageFiles : public ImageFiles {
public:
    // Qt's own warnings (libjpeg's "Premature end of JPEG file", ...) are silenced for the
    // process: a file that fails gets the one line of its reason, and one that loads none.
    QtImageFiles();
    BmpImage Load(const std::string& path) const override;
    bool Writes(ImageFormat format) const override;
    void Save(const BmpImage& image, const std::string& path, ImageFormat format) const override;
};
