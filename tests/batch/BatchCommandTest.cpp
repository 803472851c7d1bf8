// Runs the real tarvish-batch program and checks what it prints, writes and returns.

#include "BatchCommandFixture.h"
#include "BatchRun.h"
#include "BestPerTile.h"
#include "BmpError.h"
#include "BmpReader.h"
#include "ConversionFigures.h"
#include "ConvertImage.h"
#include "Quality.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace BatchTest;

TEST_F(BatchCommand, ConvertsAsTheCoreDoesAndReportsABrokenFile) {
    const std::string broken = Truncated(Coffee, 1000);
    std::string reason;
    try {
        ReadBmpFile(broken);
    } catch (const BmpError& error) {
        reason = error.what();
    }
    ASSERT_FALSE(reason.empty());
    const fs::path images = folder / "images";
    const std::vector<std::string> transforms = {"DCT 1D", "Haar 2D"};
    const std::vector<int> tiles = {8, 1};
    const std::vector<std::string> errors = {"0", "5", "100"};

    const Outcome outcome =
        Run({Coffee, broken, Chelsea200, "--transforms", "DCT 1D,Haar 2D", "--tiles", "8,1",
             "--errors", "0,5,100", "--images", images.string(), "--jobs", "2"});
    EXPECT_EQ(outcome.Status, 1);
    EXPECT_EQ(outcome.Err, "tarvish-batch: cannot load " + broken + ": " + reason + "\n");

    const std::vector<std::string> lines = Lines(outcome.Out);
    ASSERT_EQ(lines.size(), 1u + 2 * 2 * 2 * 3);
    EXPECT_EQ(lines[0], Header);
    std::size_t row = 1;
    for (const std::string& path : {Coffee, Chelsea200}) {
        const BmpImage original = ReadBmpFile(path);
        const RgbView originalView{original.Pixels.data(), original.Width, original.Height,
                                   original.Width};
        for (const std::string& caption : transforms) {
            const TransformKind kind = *TransformKindFromCaption(caption);
            for (int count : tiles) {
                for (const std::string& error : errors) {
                    SCOPED_TRACE(path + ", " + caption + ", " + std::to_string(count) +
                                 " tiles, error " + error);
                    const std::vector<std::string> f = Fields(lines.at(row++));
                    ASSERT_EQ(f.size(), 20u);
                    EXPECT_EQ(f[0], path);
                    EXPECT_EQ(f[1], std::to_string(original.Width));
                    EXPECT_EQ(f[2], std::to_string(original.Height));
                    EXPECT_EQ(f[3], caption);
                    EXPECT_EQ(f[4], "256");
                    EXPECT_EQ(f[5], std::to_string(256 / count));
                    EXPECT_EQ(f[6], error);
                    EXPECT_EQ(f[7], "no");

                    // The kept percentages of a separate conversion, bit for bit.
                    ConversionSettings settings;
                    settings.Side = 256;
                    settings.TileCount = count;
                    settings.ErrorFraction = ErrorFractionOfPercent(Number(error));
                    const ConversionResult separate = ConvertImage(originalView, kind, settings, 1);
                    for (int c = 0; c < 3; ++c) {
                        EXPECT_TRUE(SameBits(Number(f[8 + c]), separate.KeptPercent[c]))
                            << "channel " << c << ": " << f[8 + c];
                    }
                    EXPECT_TRUE(SameBits(Number(f[11]), separate.MeanKeptPercent)) << f[11];

                    // The quality figures of the written bitmap against the original.
                    const BmpImage written = ReadBmpFile(
                        (images / BatchRun::ResultFileName(path, kind, count, Number(error)))
                            .string());
                    ASSERT_EQ(written.Width, original.Width);
                    ASSERT_EQ(written.Height, original.Height);
                    EXPECT_EQ(written.Pixels, separate.Pixels);
                    const QualityFigures quality =
                        MeasureQuality(originalView, RgbView{written.Pixels.data(), written.Width,
                                                             written.Height, written.Width});
                    EXPECT_TRUE(SameBits(Number(f[12]), quality.Mse)) << f[12];
                    EXPECT_TRUE(SameBits(Number(f[13]), quality.PsnrDb)) << f[13];
                    ASSERT_TRUE(quality.Ssim.has_value());
                    EXPECT_TRUE(SameBits(Number(f[14]), *quality.Ssim)) << f[14];
                    EXPECT_EQ(f[15], std::to_string(quality.MaxError));
                    EXPECT_GE(Number(f[16]), 0.0);
                    EXPECT_EQ(f[17], "plain");
                    EXPECT_EQ(f[18], "page");
                    EXPECT_EQ(f[19], "error");
                    if (error == "0") {
                        EXPECT_EQ(f[13], "inf");
                    }
                }
            }
        }
    }
}

// The options reach every conversion, their columns and the names of the result bitmaps.
TEST_F(BatchCommand, ConvertsWithTheTransformOptions) {
    const fs::path images = folder / "images";
    const Outcome outcome = Run({Chelsea200, "--transforms", "DCT 2D,D4 2D", "--tiles", "2",
                                 "--errors", "10", "--dct-scaling", "orthonormal", "--levels",
                                 "all", "--rule", "kept", "--images", images.string()});
    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    const std::vector<std::string> lines = Lines(outcome.Out);
    ASSERT_EQ(lines.size(), 3u);
    const BmpImage original = ReadBmpFile(Chelsea200);
    const RgbView view{original.Pixels.data(), original.Width, original.Height, original.Width};
    const TransformOptions options{DctScaling::Orthonormal, AllWaveletLevels, KeepRule::Kept};
    for (std::size_t row = 1; row < 3; ++row) {
        const std::vector<std::string> f = Fields(lines[row]);
        ASSERT_EQ(f.size(), 20u);
        EXPECT_EQ(f[17], "orthonormal");
        EXPECT_EQ(f[18], "all");
        EXPECT_EQ(f[19], "kept");
        const TransformKind kind = *TransformKindFromCaption(f[3]);
        ConversionSettings settings;
        settings.Side = 256;
        settings.TileCount = 2;
        settings.SetErrorPercent(10.0);
        settings.Options = options;
        const ConversionResult separate = ConvertImage(view, kind, settings, 1);
        // Every tile of 128 x 128 keeps a tenth of its coefficients, rounded: 1638 of 16384.
        EXPECT_TRUE(SameBits(Number(f[11]), separate.MeanKeptPercent)) << f[11];
        EXPECT_DOUBLE_EQ(Number(f[11]), 1638 * 100.0 / 16384);
        const BmpImage written = ReadBmpFile(
            (images / BatchRun::ResultFileName(Chelsea200, kind, 2, 10.0, options)).string());
        EXPECT_EQ(written.Pixels, separate.Pixels);
    }
    EXPECT_TRUE(fs::exists(images / "chelsea_200x150_DCT2D_2tiles_10pct_orthonormal_all_kept.bmp"));
}

TEST_F(BatchCommand, AddsTheBestPerTileAsTheCoreComposesIt) {
    const fs::path images = folder / "images";
    const Outcome outcome =
        Run({Chelsea200, "--best-per-tile", "--tiles", "1,4", "--errors", "5,20", "--dct-scaling",
             "orthonormal", "--levels", "all", "--images", images.string()});
    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    const std::vector<std::string> lines = Lines(outcome.Out);
    // Seven blocks of two tile counts at two errors, the best per tile last.
    ASSERT_EQ(lines.size(), 1u + 7 * 2 * 2);
    const BmpImage original = ReadBmpFile(Chelsea200);
    const RgbView view{original.Pixels.data(), original.Width, original.Height, original.Width};
    for (std::size_t block = 0; block < 7; ++block) {
        for (std::size_t i = 0; i < 4; ++i) {
            const std::vector<std::string> f = Fields(lines[1 + block * 4 + i]);
            const std::string expected =
                block < 6 ? std::string(TransformKinds()[block].Caption) : "Best per tile";
            ASSERT_EQ(f[3], expected);
            EXPECT_EQ(f[5], i < 2 ? "256" : "64");
            if (block < 6) {
                continue;
            }
            ConversionSettings settings;
            settings.Side = 256;
            settings.TileCount = i < 2 ? 1 : 4;
            settings.SetErrorPercent(i % 2 == 0 ? 5.0 : 20.0);
            settings.Options = {DctScaling::Orthonormal, AllWaveletLevels, KeepRule::Error};
            std::vector<ConversionResult> six;
            for (const TransformKindInfo& kind : TransformKinds()) {
                six.push_back(ConvertImage(view, kind.Kind, settings, 1));
            }
            const ConversionResult best = ComposeBestPerTile(six, TileWinners(six), view);
            for (std::size_t c = 0; c < 3; ++c) {
                EXPECT_TRUE(SameBits(Number(f[8 + c]), best.KeptPercent[c])) << f[8 + c];
            }
            EXPECT_TRUE(SameBits(Number(f[11]), best.MeanKeptPercent));
            EXPECT_TRUE(SameBits(Number(f[12]), best.Quality.Mse));
            EXPECT_TRUE(SameBits(Number(f[14]), *best.Quality.Ssim));
            EXPECT_EQ(f[15], std::to_string(best.Quality.MaxError));
            const BmpImage written = ReadBmpFile(
                (images / BatchRun::ResultFileName(Chelsea200, "BestPerTile", settings.TileCount,
                                                   settings.ErrorPercent, settings.Options))
                    .string());
            for (int y = 0; y < best.RegionHeight; ++y) {
                for (int x = 0; x < best.RegionWidth; ++x) {
                    ASSERT_EQ(written.Pixels[std::size_t(y) * written.Width + x],
                              best.Pixels[std::size_t(y) * best.RegionWidth + x]);
                }
            }
        }
    }
    EXPECT_TRUE(fs::exists(images / "chelsea_200x150_BestPerTile_4tiles_5pct_orthonormal_all.bmp"));
}

TEST_F(BatchCommand, WritesEveryTileWithItsWinner) {
    const fs::path tiles = folder / "tiles.csv";
    for (const bool best : {false, true}) {
        std::vector<std::string> arguments = {Chelsea200, "--tiles",     "4",           "--errors",
                                              "5",        "--tile-rows", tiles.string()};
        if (best) {
            arguments.push_back("--best-per-tile");
        }
        const Outcome outcome = Run(arguments);
        ASSERT_EQ(outcome.Status, 0) << outcome.Err;
        const std::vector<std::string> lines = Lines(ReadFile(tiles));
        ASSERT_EQ(lines.size(), 1u + 6 * 16);
        EXPECT_EQ(lines[0], "image,transform,side,tile,error_percent,color_correction,tile_column,"
                            "tile_row,kept_percent,kept_percent_red,kept_percent_green,"
                            "kept_percent_blue,squared_error_sum,pixels,mse,winner,dct_scaling,"
                            "levels,rule");
        const BmpImage original = ReadBmpFile(Chelsea200);
        const RgbView view{original.Pixels.data(), original.Width, original.Height, original.Width};
        std::vector<int> winners(16, 0);
        for (std::size_t k = 0; k < 6; ++k) {
            ConversionSettings settings;
            settings.Side = 256;
            settings.TileCount = 4;
            settings.SetErrorPercent(5.0);
            const ConversionResult separate =
                ConvertImage(view, TransformKinds()[k].Kind, settings, 1);
            for (std::size_t t = 0; t < 16; ++t) {
                const std::vector<std::string> f = Fields(lines[1 + k * 16 + t]);
                ASSERT_EQ(f.size(), 19u);
                EXPECT_EQ(f[1], TransformKinds()[k].Caption);
                EXPECT_EQ(f[6], std::to_string(t % 4));
                EXPECT_EQ(f[7], std::to_string(t / 4));
                const TileFigures& tile = separate.Tiles[t];
                EXPECT_TRUE(SameBits(Number(f[8]), tile.KeptPercent)) << k << " " << t;
                EXPECT_TRUE(SameBits(Number(f[9]), tile.ChannelKept[0]));
                EXPECT_EQ(f[12], std::to_string(tile.SquaredErrors));
                EXPECT_EQ(f[13], std::to_string(tile.Pixels));
                // Tiles below the image's 150 rows have no pixels and no MSE.
                EXPECT_EQ(f[14].empty(), tile.Pixels == 0);
                if (best) {
                    winners[t] += f[15] == "yes" ? 1 : 0;
                    EXPECT_TRUE(f[15] == "yes" || f[15] == "no");
                } else {
                    EXPECT_EQ(f[15], "");
                }
            }
        }
        if (best) {
            EXPECT_EQ(winners, std::vector<int>(16, 1)) << "one winner per tile";
        }
    }
}

TEST_F(BatchCommand, GivesTheBdFiguresNumpyAndScipyGive) {
    // The committed references were made from the samples' sweeps with numpy and scipy.
    const fs::path bd = folder / "bd.csv";
    const std::string chelsea = std::string(TARVISH_SAMPLES) + "/chelsea_256x256.bmp";
    const Outcome outcome =
        Run({chelsea, "--tiles", "1", "--bd", "dct2d", "--bd-method", "pchip", "--bd-output",
             bd.string(), "--output", (folder / "rows.csv").string()});
    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    std::map<std::string, std::vector<std::string>> expected;
    for (const std::string& line :
         Lines(ReadFile(std::string(TARVISH_TEST_DATA) + "/bd-reference/expected.csv"))) {
        const std::vector<std::string> f = Fields(line);
        if (f[0] == "samples/chelsea_256x256.bmp" && f[1] == "256" && f[2] == "plain" &&
            f[6] == "pchip") {
            expected[f[5]] = f;
        }
    }
    ASSERT_EQ(expected.size(), 6u);
    const std::vector<std::string> lines = Lines(ReadFile(bd));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "image,side,tile,color_correction,reference,transform,method,"
                        "points_reference,points_test,overlap_low_db,overlap_high_db,"
                        "bd_kept_percent,bd_psnr_db,note,dct_scaling,levels,rule");
    for (std::size_t row = 1; row < lines.size(); ++row) {
        const std::vector<std::string> f = Fields(lines[row]);
        ASSERT_EQ(f.size(), 17u);
        EXPECT_EQ(f[4], "DCT 2D");
        EXPECT_EQ(f[6], "pchip");
        const std::vector<std::string>& e = expected.at(f[5]);
        EXPECT_EQ(f[7], e[7]) << f[5];
        EXPECT_EQ(f[8], e[8]) << f[5];
        EXPECT_DOUBLE_EQ(Number(f[9]), Number(e[9])) << f[5];
        EXPECT_NEAR(Number(f[11]), Number(e[11]), 1e-10 * std::max(1.0, std::fabs(Number(e[11]))))
            << f[5];
        EXPECT_NEAR(Number(f[12]), Number(e[12]), 1e-10 * std::max(1.0, std::fabs(Number(e[12]))))
            << f[5];
        EXPECT_EQ(f[13], "") << f[5];
    }
}

TEST_F(BatchCommand, ShardsPutTogetherAreTheWholeRun) {
    // Ten images in four shards as equal as possible: 2, 3, 2 and 3.
    const std::string natural = std::string(TARVISH_TEST_DATA) + "/bmp-corpus/natural";
    const std::vector<std::string> common = {natural, "--transforms", "DCT 2D", "--tiles",
                                             "1",     "--errors",     "5"};
    const Outcome whole = Run(common);
    ASSERT_EQ(whole.Status, 0) << whole.Err;
    std::string together;
    for (const std::string shardNumber : {"1/4", "2/4", "3/4", "4/4"}) {
        std::vector<std::string> arguments = common;
        arguments.insert(arguments.end(), {"--shard", shardNumber});
        const Outcome shard = Run(arguments);
        ASSERT_EQ(shard.Status, 0) << shardNumber << ": " << shard.Err;
        // From the second shard on, no header.
        EXPECT_EQ(shard.Out.rfind("image,", 0) == 0, shardNumber == "1/4") << shardNumber;
        together += shard.Out;
    }
    EXPECT_EQ(WithoutTimes(together), WithoutTimes(whole.Out));
    EXPECT_EQ(Lines(whole.Out).size(), 11u);
    std::vector<std::string> arguments = common;
    arguments.insert(arguments.end(), {"--shard", "2/4", "--header"});
    EXPECT_EQ(Run(arguments).Out.rfind("image,", 0), 0u);
}

TEST_F(BatchCommand, GivesTheSameRowsOnOneThreadAndOnTwo) {
    const std::vector<std::string> common = {
        Chelsea200, "--transforms", "D4 1D,DCT 2D", "--tiles",
        "2,16",     "--errors",     "0.5,30",       "--color-correction"};
    std::vector<std::string> one = common;
    one.insert(one.end(), {"--jobs", "1"});
    std::vector<std::string> two = common;
    two.insert(two.end(), {"--jobs", "2"});
    const Outcome first = Run(one);
    const Outcome second = Run(two);
    ASSERT_EQ(first.Status, 0) << first.Err;
    ASSERT_EQ(second.Status, 0) << second.Err;
    EXPECT_EQ(Lines(first.Out).size(), 1u + 2 * 2 * 2);
    EXPECT_EQ(WithoutTimes(first.Out), WithoutTimes(second.Out));
    EXPECT_NE(first.Out.find(",yes,"), std::string::npos);
}

TEST_F(BatchCommand, LeavesOutTheHeaderWhenAsked) {
    const std::vector<std::string> arguments = {Coffee, "--transforms", "Haar 1D", "--tiles",
                                                "4",    "--errors",     "10,20"};
    const Outcome with = Run(arguments);
    std::vector<std::string> withoutHeader = arguments;
    withoutHeader.push_back("--no-header");
    const Outcome without = Run(withoutHeader);
    ASSERT_EQ(with.Status, 0) << with.Err;
    ASSERT_EQ(without.Status, 0) << without.Err;
    std::vector<std::string> rows = WithoutTimes(with.Out);
    ASSERT_EQ(rows.size(), 3u);
    rows.erase(rows.begin());
    EXPECT_EQ(WithoutTimes(without.Out), rows);
}

TEST_F(BatchCommand, TakesAFoldersBitmapsByName) {
    const fs::path photos = folder / "photos";
    fs::create_directories(photos / "nested.bmp");
    fs::copy_file(Coffee, photos / "b.bmp");
    fs::copy_file(Chelsea200, photos / "a.BMP");
    std::ofstream(photos / "notes.txt") << "not a bitmap";
    const Outcome outcome = Run({photos.string(), "--transforms", "haar2d", "--tiles", "4",
                                 "--errors", "10", "--output", (folder / "rows.csv").string()});
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(outcome.Out, "");
    const std::vector<std::string> lines = Lines(ReadFile(folder / "rows.csv"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(Fields(lines[1])[0], (photos / "a.BMP").string());
    EXPECT_EQ(Fields(lines[2])[0], (photos / "b.bmp").string());
    EXPECT_EQ(Fields(lines[1])[3], "Haar 2D");
}

TEST_F(BatchCommand, SkipsTileCountsTooFineForTheSideAndLeavesUndefinedFiguresEmpty) {
    // A 3 x 2 image is converted on a side of 4: 8 tiles would be narrower than a pixel, and
    // the structural similarity needs 11 pixels on a side.
    const Outcome outcome =
        Run({Chelsea3x2, "--transforms", "DCT 2D", "--tiles", "1,8,4", "--errors", "50"});
    EXPECT_EQ(outcome.Status, 0);
    EXPECT_EQ(outcome.Err, "tarvish-batch: " + Chelsea3x2 +
                               ": 8 tiles per side do not fit a side of 4; skipped\n");
    const std::vector<std::string> lines = Lines(outcome.Out);
    ASSERT_EQ(lines.size(), 3u);
    for (int row : {1, 2}) {
        const std::vector<std::string> f = Fields(lines[row]);
        EXPECT_EQ(f[4], "4");
        EXPECT_EQ(f[5], row == 1 ? "4" : "1");
        EXPECT_EQ(f[14], "") << "ssim of row " << row;
    }
}

TEST_F(BatchCommand, RefusesAnImageThatDoesNotFitTheMemoryLimit) {
    const Outcome outcome =
        Run({Coffee, "--transforms", "DCT 1D", "--tiles", "1", "--errors", "5", "--jobs", "1"},
            "TARVISH_MEMORY_LIMIT=1K");
    EXPECT_EQ(outcome.Status, 1);
    EXPECT_EQ(Lines(outcome.Out), std::vector<std::string>{Header});
    const std::string prefix = "tarvish-batch: " + Coffee + ": needs ";
    ASSERT_EQ(outcome.Err.substr(0, prefix.size()), prefix) << outcome.Err;
    EXPECT_NE(outcome.Err.find(" bytes ("), std::string::npos);
    EXPECT_NE(outcome.Err.find("but only 1024 bytes (0.0 MiB) are available; skipped\n"),
              std::string::npos)
        << outcome.Err;

    const Outcome malformed = Run({Coffee}, "TARVISH_MEMORY_LIMIT=lots");
    EXPECT_EQ(malformed.Status, 2);
    EXPECT_EQ(Lines(malformed.Err).at(0),
              "tarvish-batch: TARVISH_MEMORY_LIMIT: \"lots\" is not a byte count such as 500M");
}

TEST_F(BatchCommand, RefusesUsageErrorsBeforeAnyWork) {
    const std::string output = (folder / "rows.csv").string();
    const struct {
        std::vector<std::string> Arguments;
        std::string Reason;
    } cases[] = {
        {{Coffee, "--tiles", "3"}, "--tiles: 3 is not a power of two from 1 to 32"},
        {{Coffee, "--transforms", "DCT"},
         "--transforms: \"DCT\" is not one of DCT 1D, D4 1D, Haar 1D, DCT 2D, D4 2D, Haar 2D or "
         "all"},
        {{Coffee, "--errors", "5,500"}, "--errors: 500 is not a percentage from 0 to 100"},
        {{Coffee, "--side", "300"}, "--side: 300 is not a power of two from 1 to 16384"},
        {{Coffee, "--verbose"}, "unknown option --verbose"},
        {{Coffee, "--best-per-tile", "--transforms", "DCT 2D,Haar 2D"},
         "--best-per-tile: needs all six transforms (--transforms all)"},
        {{Coffee, "--bd", "DCT 2D"}, "--bd: needs --bd-output FILE"},
        {{Coffee, "--shard", "0/3"}, "--shard: \"0/3\" has K outside 1 to 3"},
        {{Coffee, "--shard", "2/0"}, "--shard: \"2/0\" has N below 1"},
        {{Coffee, "--shard", "2"}, "--shard: \"2\" is not K/N, e.g. 2/8"},
        {{Coffee, "--bd-output", "bd.csv"}, "--bd-output: needs --bd REFERENCE"},
        {{Coffee, "--bd-method", "pchip"}, "--bd-method: needs --bd REFERENCE"},
        {{Coffee, "--bd", "Best per tile", "--bd-output", "bd.csv"},
         "--bd: Best per tile is not among the curves converted (give --best-per-tile)"},
        {{Coffee, "--bd", "DCT 2D", "--bd-output", "bd.csv", "--bd-method", "spline"},
         "--bd-method: \"spline\" is not one of cubic and pchip"},
        {{}, "no image or folder given"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = c.Arguments;
        arguments.insert(arguments.end(), {"--output", output});
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.Status, 2) << c.Reason;
        EXPECT_EQ(Lines(outcome.Err).at(0), "tarvish-batch: " + c.Reason);
        EXPECT_EQ(outcome.Out, "") << c.Reason;
        EXPECT_FALSE(fs::exists(output)) << c.Reason;
    }

    const Outcome help = Run({"--help"});
    EXPECT_EQ(help.Status, 0);
    EXPECT_EQ(help.Out.rfind("Usage: tarvish-batch", 0), 0u) << help.Out;
}

TEST_F(BatchCommand, RefusesAnOutputItCannotWriteBeforeAnyWork) {
    const std::string output = (folder / "missing" / "rows.csv").string();
    const fs::path images = folder / "images";
    const Outcome outcome = Run({Coffee, "--output", output, "--images", images.string()});
    EXPECT_EQ(outcome.Status, 2);
    EXPECT_EQ(outcome.Err,
              "tarvish-batch: cannot write " + output + ": No such file or directory\n");
    EXPECT_TRUE(fs::is_empty(images));

    const std::string notAFolder = (folder / "plain").string();
    std::ofstream(notAFolder) << "a file";
    const Outcome refused = Run({Coffee, "--images", notAFolder});
    EXPECT_EQ(refused.Status, 2);
    EXPECT_EQ(Lines(refused.Err)
                  .at(0)
                  .rfind("tarvish-batch: --images: cannot write to folder " + notAFolder + ": ", 0),
              0u)
        << refused.Err;
    EXPECT_EQ(refused.Out, "");
}

TEST_F(BatchCommand, ReportsAnOutputThatFillsUp) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full here";
    }
    const Outcome outcome = Run({Coffee, "--transforms", "Haar 1D", "--tiles", "1", "--errors", "5",
                                 "--output", "/dev/full"});
    EXPECT_EQ(outcome.Status, 1);
    EXPECT_EQ(outcome.Err, "tarvish-batch: cannot write /dev/full: No space left on device\n");
}
