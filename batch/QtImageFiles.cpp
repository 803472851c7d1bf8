#include "QtImageFiles.h"

#include "BmpReader.h"
#include "ImageFile.h"

#include <QFile>
#include <QImage>
#include <QtGlobal>

#include <algorithm>
#include <cstring>
#include <fstream>

QtImageFiles::QtImageFiles() {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
}

BmpImage QtImageFiles::Load(const std::string& path) const {
    // A bitmap goes to our reader, as the loader sends it, without a copy of its pixels.
    char head[2] = {};
    std::ifstream(path, std::ios::binary).read(head, sizeof head);
    if (head[0] == 'B' && head[1] == 'M') {
        return ReadBmpFile(path);
    }
    const QImage image = LoadImageFile(QFile::decodeName(path.c_str()));
    BmpImage pixels;
    pixels.Width = image.width();
    pixels.Height = image.height();
    pixels.Pixels.resize(static_cast<std::size_t>(image.width()) * image.height());
    const auto width = static_cast<std::size_t>(image.width());
    for (int y = 0; y < image.height(); ++y) {
        std::memcpy(pixels.Pixels.data() + y * width, image.constScanLine(y),
                    width * sizeof(std::uint32_t));
    }
    return pixels;
}

bool QtImageFiles::Writes(ImageFormat) const {
    return true;
}

void QtImageFiles::Save(const BmpImage& image, const std::string& path, ImageFormat format) const {
    // The pixels are borrowed, not copied: QImage only reads them here.
    const QImage view(reinterpret_cast<const uchar*>(image.Pixels.data()), image.Width,
                      image.Height, static_cast<qsizetype>(image.Width) * 4, QImage::Format_RGB32);
    SaveImageFile(view, QFile::decodeName(path.c_str()), format);
}
