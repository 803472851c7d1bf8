#include "InputImage.h"
#include "BitmapFiles.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class InputImages : public testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("tarvish-inputs-" + std::to_string(getpid()));
        fs::remove_all(folder);
        // Byte order, not per folder: '-' (0x2d) sorts before '/' (0x2f), so a-b/x.png comes
        // before a/x.png; capitals before small letters, UTF-8 after both.
        for (const char* name : {"b.PNG", "a.jpg", "A.webp", "\xc3\x84.bmp", "a/x.png", "a-b/x.png",
                                 "z/deep er/x.TIFF", "c.pgm"}) {
            fs::create_directories((folder / name).parent_path());
            std::ofstream(folder / name) << "x";
        }
        std::ofstream(folder / "notes.txt") << "not an image";
        std::ofstream(folder / "bmp") << "no extension";
        fs::create_directories(folder / "folder.png");
    }
    void TearDown() override { fs::remove_all(folder); }

    std::vector<std::string> Listed(bool recursive, std::vector<std::string>* subfolders) {
        std::vector<std::string> paths;
        for (const InputImage& image : ListInputImages({folder.string()}, recursive)) {
            EXPECT_EQ(image.Problem, "") << image.Path;
            paths.push_back(fs::path(image.Path).lexically_relative(folder).generic_string());
            subfolders->push_back(image.Subfolder);
        }
        return paths;
    }

    fs::path folder;
};

} // namespace

TEST_F(InputImages, AFolderGivesItsImageFilesByName) {
    std::vector<std::string> subfolders;
    EXPECT_EQ(Listed(false, &subfolders),
              (std::vector<std::string>{"A.webp", "a.jpg", "b.PNG", "c.pgm", "\xc3\x84.bmp"}));
    EXPECT_EQ(subfolders, std::vector<std::string>(5));
}

TEST_F(InputImages, RecursiveSortsWholeRelativePathsByteByByte) {
    std::vector<std::string> subfolders;
    EXPECT_EQ(Listed(true, &subfolders),
              (std::vector<std::string>{"A.webp", "a-b/x.png", "a.jpg", "a/x.png", "b.PNG", "c.pgm",
                                        "z/deep er/x.TIFF", "\xc3\x84.bmp"}));
    EXPECT_EQ(subfolders, (std::vector<std::string>{"", "a-b", "", "a", "", "", "z/deep er", ""}));
}

TEST_F(InputImages, NamesAFolderWithoutImagesAndTakesOtherArgumentsAsFiles) {
    const fs::path empty = folder / "empty";
    fs::create_directories(empty / "sub");
    std::ofstream(empty / "sub" / "x.png") << "x";
    const std::vector<InputImage> images =
        ListInputImages({empty.string(), "no-such.png", (folder / "notes.txt").string()});
    ASSERT_EQ(images.size(), 3u);
    EXPECT_EQ(images[0].Problem, "no image file in folder " + empty.string());
    EXPECT_EQ(images[1].Path, "no-such.png");
    EXPECT_EQ(images[1].Problem, "");
    EXPECT_EQ(images[2].Problem, "");
    EXPECT_EQ(ListInputImages({empty.string()}, true).at(0).Path, (empty / "sub/x.png").string());
}

TEST(BitmapFiles, ReadsBitmapsAndSaysItReadsNothingElse) {
    const std::string chelsea = TARVISH_TEST_DATA "/formats/chelsea_64x48";
    const BitmapFiles files;
    const BmpImage bitmap = files.Load(chelsea + ".bmp");
    EXPECT_EQ(bitmap.Width, 64);
    EXPECT_EQ(bitmap.Height, 48);
    for (const char* extension : {".png", ".jpg", ".tif", ".ppm", "_lossless.webp"}) {
        try {
            files.Load(chelsea + extension);
            ADD_FAILURE() << "loaded " << extension;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()),
                      "this build reads bitmaps only (it was built without Qt)")
                << extension;
        }
    }
    EXPECT_TRUE(files.Writes(ImageFormat::Bmp));
    EXPECT_FALSE(files.Writes(ImageFormat::Png));
}
