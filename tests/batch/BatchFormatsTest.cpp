// tarvish-batch on a folder of every format, as a data set comes.

#include "BatchCommandFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

using namespace BatchTest;

namespace {

const std::string Formats = std::string(TARVISH_TEST_DATA) + "/formats/";

// The rows by image name, their figures only (the columns after the image and before the time).
std::map<std::string, std::vector<std::string>> FiguresByImage(const std::string& csv) {
    std::map<std::string, std::vector<std::string>> figures;
    const std::vector<std::string> lines = Lines(csv);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::vector<std::string> fields = Fields(lines[i]);
        const std::string image = fs::path(fields[0]).filename().string();
        figures[image].insert(figures[image].end(), fields.begin() + 1, fields.begin() + 16);
    }
    return figures;
}

} // namespace

TEST_F(BatchCommand, ConvertsEveryFormatAsItsBitmapAndMirrorsSubfolders) {
    const fs::path set = folder / "set";
    fs::create_directories(set / "grey");
    // Lossless files of one picture: the same pixels as its bitmap, so the same rows.
    for (const char* name : {"chelsea_64x48.bmp", "chelsea_64x48.png", "chelsea_64x48.tif",
                             "chelsea_64x48.ppm", "chelsea_64x48_lossless.webp"}) {
        fs::copy_file(Formats + name, set / name);
    }
    fs::copy_file(Formats + "camera_64x48.pgm", set / "grey" / "camera_64x48.PGM");
    fs::copy_file(Formats + "camera_64x48.bmp", set / "grey" / "camera_64x48.bmp");
    const fs::path images = folder / "images";
    const Outcome outcome =
        Run({set.string(), "--recursive", "--transforms", "DCT 1D,Haar 2D", "--tiles", "1,4",
             "--errors", "0,5", "--images", images.string(), "--image-format", "png"});
    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(outcome.Err, "");

    const auto figures = FiguresByImage(outcome.Out);
    ASSERT_EQ(figures.size(), 7u);
    const std::vector<std::string>& bitmap = figures.at("chelsea_64x48.bmp");
    ASSERT_EQ(bitmap.size(), 8u * 15);
    for (const char* name : {"chelsea_64x48.png", "chelsea_64x48.tif", "chelsea_64x48.ppm",
                             "chelsea_64x48_lossless.webp"}) {
        EXPECT_EQ(figures.at(name), bitmap) << name;
    }
    EXPECT_EQ(figures.at("camera_64x48.PGM"), figures.at("camera_64x48.bmp"));

    // Inputs first by their whole relative paths, then transform, tiles and error.
    const std::vector<std::string> lines = Lines(outcome.Out);
    EXPECT_EQ(Fields(lines[1])[0], (set / "chelsea_64x48.bmp").string());
    EXPECT_EQ(Fields(lines.back())[0], (set / "grey" / "camera_64x48.bmp").string());

    // Every input its own results, in its own subfolder, as PNG.
    for (const char* name :
         {"chelsea_64x48_DCT1D_1tiles_0pct.png", "chelsea_64x48_png_DCT1D_1tiles_0pct.png",
          "chelsea_64x48_tif_Haar2D_4tiles_5pct.png",
          "chelsea_64x48_lossless_webp_DCT1D_4tiles_5pct.png",
          "grey/camera_64x48_pgm_Haar2D_4tiles_5pct.png",
          "grey/camera_64x48_DCT1D_1tiles_0pct.png"}) {
        EXPECT_EQ(ReadFile(images / name).substr(0, 4), "\x89PNG") << name;
    }
    std::size_t written = 0;
    for (const auto& entry : fs::recursive_directory_iterator(images)) {
        written += entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(written, 7u * 8);
}

TEST_F(BatchCommand, NamesEveryBadFileAndConvertsTheRest) {
    const fs::path set = folder / "set";
    fs::create_directories(set / "folder.png");
    fs::copy_file(Formats + "chelsea_64x48.jpg", set / "good.jpg");
    const std::string png = ReadFile(Formats + "chelsea_64x48.png");
    std::ofstream(set / "cut.png", std::ios::binary) << png.substr(0, png.size() / 2);
    std::ofstream(set / "empty.tif", std::ios::binary);
    std::ofstream(set / "text.webp", std::ios::binary) << "not a picture at all";
    std::string jpeg = ReadFile(Formats + "chelsea_64x48.jpg");
    jpeg[2] = '\0';
    std::ofstream(set / "damaged.jpg", std::ios::binary) << jpeg;
    fs::copy_file(Formats + "huge_20000x20000.png", set / "huge.png");
    const Outcome outcome =
        Run({set.string(), "--transforms", "DCT 2D", "--tiles", "2", "--errors", "5",
             (folder / "missing.ppm").string(), (set / "folder.png").string()});
    EXPECT_EQ(outcome.Status, 1);
    const std::vector<std::string> rows = Lines(outcome.Out);
    ASSERT_EQ(rows.size(), 2u) << outcome.Out;
    EXPECT_EQ(Fields(rows[1])[0], (set / "good.jpg").string());
    const std::string prefix = "tarvish-batch: cannot load ";
    EXPECT_EQ(Lines(outcome.Err),
              (std::vector<std::string>{
                  prefix + (set / "cut.png").string() + ": truncated png file",
                  prefix + (set / "damaged.jpg").string() + ": not an image file Tarvish can read",
                  prefix + (set / "empty.tif").string() + ": not an image file Tarvish can read",
                  prefix + (set / "huge.png").string() + ": image too large: 20000 x 20000",
                  prefix + (set / "text.webp").string() + ": not an image file Tarvish can read",
                  prefix + (folder / "missing.ppm").string() +
                      ": cannot open file: No such file or directory",
                  "tarvish-batch: no image file in folder " + (set / "folder.png").string()}));
}
