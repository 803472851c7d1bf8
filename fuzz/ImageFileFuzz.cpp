// libFuzzer target for the image loader of every format: every input must load to a consistent
// image (positive size, opaque RGB32) or be refused with ImageFileError. Anything else (a crash,
// a sanitizer report, another exception, a hang) is a finding. Only our own code is
// instrumented: the guards in front of Qt's readers (sizes, truncation, composition).

#include "ImageFile.h"
#include "ImageFileError.h"

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// Keeps the fuzzer off huge legal images, as the bitmap target does.
constexpr qint64 FuzzMaxPixels = qint64{1} << 18;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const QImage image = LoadImageData(bytes, FuzzMaxPixels);
        if (image.isNull() || image.width() <= 0 || image.height() <= 0 ||
            image.format() != QImage::Format_RGB32 ||
            qint64{image.width()} * image.height() > FuzzMaxPixels) {
            std::abort();
        }
        for (int y = 0; y < image.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if (qAlpha(row[x]) != 255) {
                    std::abort();
                }
            }
        }
    } catch (const ImageFileError&) {
    }
    return 0;
}
