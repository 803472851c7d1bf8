#include "BitmapFile.h"

#include "BmpError.h"
#include "BmpReader.h"
#include "BmpWriter.h"

#include <QFile>

#include <cstring>
#include <vector>

namespace {

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace

QImage LoadBitmap(const QString& path) {
    return BitmapImage(ReadBmpFile(LocalPath(path)));
}

QImage BitmapImage(BmpImage&& bmp) {
    // The decoded pixels already have QImage's RGB32 layout: hand the buffer
    // over instead of copying a picture that may be a gigabyte.
    auto* pixels = new std::vector<std::uint32_t>(std::move(bmp.Pixels));
    QImage image(
        reinterpret_cast<uchar*>(pixels->data()), bmp.Width, bmp.Height,
        static_cast<qsizetype>(bmp.Width) * 4, QImage::Format_RGB32,
        [](void* owned) { delete static_cast<std::vector<std::uint32_t>*>(owned); }, pixels);
    if (image.isNull()) {
        delete pixels;
        throw BmpError("not enough memory for the image");
    }
    return image;
}

void SaveBitmap(const QImage& image, const QString& path) {
    if (image.isNull()) {
        throw BmpError("there is no image to save");
    }
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(rgb.width()) * rgb.height());
    const auto rowBytes = static_cast<std::size_t>(rgb.width()) * sizeof(std::uint32_t);
    for (int y = 0; y < rgb.height(); ++y) {
        std::memcpy(pixels.data() + static_cast<std::size_t>(y) * rgb.width(), rgb.constScanLine(y),
                    rowBytes);
    }
    WriteBmpFile(LocalPath(path), rgb.width(), rgb.height(), pixels.data(), pixels.size());
}
