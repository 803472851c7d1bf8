// The batch command's images are the window's pixels, for every format.

#include "QtImageFiles.h"
#include "ImageFile.h"
#include "ImageFileError.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

// What the window loads, or its reason for refusing.
std::string WindowLoad(const std::string& path, QImage& image) {
    try {
        image = LoadImageFile(QFile::decodeName(path.c_str()));
        return {};
    } catch (const ImageFileError& error) {
        return error.what();
    }
}

} // namespace

TEST(QtImageFiles, GiveTheWindowsPixelsForEveryCommittedFile) {
    const QtImageFiles files;
    int loaded = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(TARVISH_TEST_DATA "/formats")) {
        const std::string path = entry.path().string();
        if (entry.path().extension() == ".md") {
            continue;
        }
        QImage window;
        const std::string refusal = WindowLoad(path, window);
        std::string batchRefusal;
        BmpImage batch;
        try {
            batch = files.Load(path);
        } catch (const std::runtime_error& error) {
            batchRefusal = error.what();
        }
        EXPECT_EQ(batchRefusal, refusal) << path;
        if (!refusal.empty()) {
            continue;
        }
        ++loaded;
        ASSERT_EQ(batch.Width, window.width()) << path;
        ASSERT_EQ(batch.Height, window.height()) << path;
        for (int y = 0; y < window.height(); ++y) {
            for (int x = 0; x < window.width(); ++x) {
                const std::uint32_t pixel =
                    batch.Pixels[static_cast<std::size_t>(y) * batch.Width + x];
                ASSERT_EQ(pixel, window.pixel(x, y)) << path << " at (" << x << ", " << y << ")";
            }
        }
    }
    // Every format of the folder, the huge one refused by both.
    EXPECT_GE(loaded, 15);
}

TEST(QtImageFiles, RefuseWhatTheWindowRefusesWithItsReason) {
    const QtImageFiles files;
    const std::string folder = (fs::temp_directory_path() / "tarvish-qt-files").string();
    fs::create_directories(folder);
    const std::string empty = folder + "/empty.png";
    QFile(QString::fromStdString(empty)).open(QIODevice::WriteOnly);
    for (const std::string& path : {empty, folder + "/missing.png", folder}) {
        QImage window;
        const std::string refusal = WindowLoad(path, window);
        ASSERT_FALSE(refusal.empty()) << path;
        try {
            files.Load(path);
            ADD_FAILURE() << "loaded " << path;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()), refusal) << path;
        }
    }
    fs::remove_all(folder);
}
