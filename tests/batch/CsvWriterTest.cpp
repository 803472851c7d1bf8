#include "CsvWriter.h"
#include "ResultRow.h"

#include "BatchRun.h"
#include "OutputError.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

TEST(CsvWriter, QuotesOnlyFieldsThatNeedIt) {
    EXPECT_EQ(ResultRow::Quoted("photos/chelsea.bmp"), "photos/chelsea.bmp");
    EXPECT_EQ(ResultRow::Quoted("DCT 1D"), "DCT 1D");
    EXPECT_EQ(ResultRow::Quoted(""), "");
    EXPECT_EQ(ResultRow::Quoted("a,b.bmp"), "\"a,b.bmp\"");
    EXPECT_EQ(ResultRow::Quoted("say \"cheese\".bmp"), "\"say \"\"cheese\"\".bmp\"");
    EXPECT_EQ(ResultRow::Quoted("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(ResultRow::Quoted("cr\r"), "\"cr\r\"");
}

TEST(CsvWriter, WritesTheShortestTextThatReadsBackTheSameDouble) {
    const struct {
        double Value;
        const char* Text;
    } cases[] = {{0.0, "0"},
                 {100.0, "100"},
                 {0.1, "0.1"},
                 {0.25, "0.25"},
                 {93.75, "93.75"},
                 {1.0 / 3.0, "0.3333333333333333"},
                 {200.0 / 3.0, "66.66666666666667"},
                 {1e-7, "1e-07"},
                 {48.130803608679, "48.130803608679"},
                 {std::numeric_limits<double>::infinity(), "inf"},
                 {-std::numeric_limits<double>::infinity(), "-inf"},
                 {std::numeric_limits<double>::quiet_NaN(), ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(ResultRow::Number(c.Value), c.Text) << c.Text;
    }
    // Every double reads back bit for bit, with the C library's own reader.
    for (double value : {0.1 + 0.2, 1e300, 5e-324, 12345.678901234567, 99.99999999999999}) {
        const std::string text = ResultRow::Number(value);
        EXPECT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
    }
}

TEST(CsvWriter, WritesRowsToAFileAndReportsAFileItCannotMake) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("tarvish-csv-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "rows.csv").string();
    {
        CsvWriter writer(path);
        writer.WriteRow(std::vector<std::string>{"image", "transform", "psnr_db"});
        writer.WriteRow(std::vector<std::string>{"a, b.bmp", "DCT 1D", ""});
        writer.Close();
    }
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "image,transform,psnr_db\n\"a, b.bmp\",DCT 1D,\n");

    const std::string missing = (folder / "no-such-folder" / "rows.csv").string();
    try {
        CsvWriter writer(missing);
        ADD_FAILURE() << "opened " << missing;
    } catch (const OutputError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "cannot write " + missing + ": No such file or directory");
    }
    std::filesystem::remove_all(folder);
}

TEST(BatchRun, NamesResultsAfterImageTransformTilesAndError) {
    EXPECT_EQ(BatchRun::ResultFileName("samples/chelsea_256x256.bmp", TransformKind::Dct1D, 8, 5.0),
              "chelsea_256x256_DCT1D_8tiles_5pct.bmp");
    EXPECT_EQ(BatchRun::ResultFileName("x.BMP", TransformKind::Haar2D, 1, 0.25),
              "x_Haar2D_1tiles_0.25pct.bmp");
    EXPECT_EQ(BatchRun::ResultFileName("/a/b/c.d.bmp", TransformKind::D4_1D, 32, 100.0),
              "c.d_D41D_32tiles_100pct.bmp");
    // Only the options that are not the defaults join the name.
    EXPECT_EQ(BatchRun::ResultFileName("c.bmp", TransformKind::Dct2D, 4, 5.0,
                                       {DctScaling::Orthonormal, AllWaveletLevels, KeepRule::Kept}),
              "c_DCT2D_4tiles_5pct_orthonormal_all_kept.bmp");
    EXPECT_EQ(BatchRun::ResultFileName("c.bmp", TransformKind::D4_2D, 4, 5.0,
                                       {DctScaling::Plain, 3, KeepRule::Error}),
              "c_D42D_4tiles_5pct_3.bmp");
    EXPECT_EQ(BatchRun::ResultFileName("c.bmp", TransformKind::D4_2D, 4, 5.0,
                                       {DctScaling::Plain, PageLevels, KeepRule::Kept}),
              "c_D42D_4tiles_5pct_kept.bmp");
    // Another format's extension joins the stem, so photo.png and photo.jpg differ.
    EXPECT_EQ(BatchRun::ResultFileName("set/photo.png", TransformKind::Dct1D, 8, 5.0),
              "photo_png_DCT1D_8tiles_5pct.bmp");
    EXPECT_EQ(BatchRun::ResultFileName("photo.JPEG", TransformKind::Dct1D, 8, 5.0),
              "photo_jpeg_DCT1D_8tiles_5pct.bmp");
    EXPECT_EQ(BatchRun::ResultFileName("photo", TransformKind::Dct1D, 8, 5.0),
              "photo_DCT1D_8tiles_5pct.bmp");
    EXPECT_EQ(BatchRun::ResultFileName("photo.tif", "BestPerTile", 2, 0.5,
                                       {DctScaling::Orthonormal, PageLevels, KeepRule::Error},
                                       ImageFormat::Png),
              "photo_tif_BestPerTile_2tiles_0.5pct_orthonormal.png");
}

TEST(BatchRun, CoversAnImageWithTheSmallestPowerOfTwo) {
    const struct {
        std::int32_t Side;
        std::int32_t Covering;
    } cases[] = {{0, 1},     {1, 1},     {2, 2},     {3, 4},
                 {200, 256}, {256, 256}, {257, 512}, {16384, 16384}};
    for (const auto& c : cases) {
        EXPECT_EQ(BatchRun::CoveringSide(c.Side), c.Covering) << c.Side;
    }
}
