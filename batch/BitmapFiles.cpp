#include "BitmapFiles.h"

#include "BmpError.h"
#include "BmpReader.h"
#include "BmpWriter.h"

#include <fstream>
#include <stdexcept>

BmpImage BitmapFiles::Load(const std::string& path) const {
    const ImageFileType* named = ImageFileTypeOfName(path);
    char head[2] = {};
    std::ifstream(path, std::ios::binary).read(head, sizeof head);
    const bool bitmap = head[0] == 'B' && head[1] == 'M';
    if (!bitmap && named != nullptr && named != &ImageFileTypes[0]) {
        throw BmpError("this build reads bitmaps only (it was built without Qt)");
    }
    return ReadBmpFile(path);
}

bool BitmapFiles::Writes(ImageFormat format) const {
    return format == ImageFormat::Bmp;
}

void BitmapFiles::Save(const BmpImage& image, const std::string& path, ImageFormat format) const {
    if (!Writes(format)) {
        throw std::invalid_argument("BitmapFiles: writes bitmaps only");
    }
    WriteBmpFile(path, image.Width, image.Height, image.Pixels.data(), image.Pixels.size());
}
