// Replays the corpus the image loader's fuzzer grew (fuzz/README.md), with the fuzz target's
// checks: each file loads to a consistent image or is refused with ImageFileError.

#include "ImageFile.h"
#include "ImageFileError.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include <filesystem>
#include <string>

namespace {

constexpr qint64 FuzzMaxPixels = qint64{1} << 18;

} // namespace

TEST(ImageFuzzCorpus, LoadsOrRefusesEveryFile) {
    std::size_t files = 0;
    std::size_t loaded = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TARVISH_TEST_DATA "/image-fuzz")) {
        const std::string path = entry.path().string();
        if (entry.path().extension() == ".md") {
            continue;
        }
        ++files;
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path;
        try {
            const QImage image = LoadImageData(file.readAll(), FuzzMaxPixels);
            ++loaded;
            ASSERT_FALSE(image.isNull()) << path;
            EXPECT_EQ(image.format(), QImage::Format_RGB32) << path;
            EXPECT_LE(qint64{image.width()} * image.height(), FuzzMaxPixels) << path;
            for (int y = 0; y < image.height(); ++y) {
                const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
                for (int x = 0; x < image.width(); ++x) {
                    ASSERT_EQ(qAlpha(row[x]), 255) << path << " at (" << x << ", " << y << ")";
                }
            }
        } catch (const ImageFileError&) {
        }
    }
    EXPECT_GT(files, 100u);
    EXPECT_GT(loaded, 0u);
}
