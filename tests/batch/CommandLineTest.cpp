#include "CommandLine.h"

#include "UsageError.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

BatchOptions Parse(std::vector<std::string_view> arguments) {
    return CommandLine::Parse(arguments);
}

// The reason a command line is refused, or "accepted".
std::string Refusal(std::vector<std::string_view> arguments) {
    try {
        CommandLine::Parse(arguments);
        return "accepted";
    } catch (const UsageError& error) {
        return error.what();
    }
}

} // namespace

TEST(CommandLine, DefaultsToEveryPageTileCountAndTheWindowsErrors) {
    const BatchOptions options = Parse({"a.bmp", "photos"});
    EXPECT_EQ(options.Inputs, (std::vector<std::string>{"a.bmp", "photos"}));
    EXPECT_EQ(options.Kinds,
              (std::vector<TransformKind>{TransformKind::Dct1D, TransformKind::D4_1D,
                                          TransformKind::Haar1D, TransformKind::Dct2D,
                                          TransformKind::D4_2D, TransformKind::Haar2D}));
    EXPECT_EQ(options.TileCounts, (std::vector<std::int32_t>{1, 2, 4, 8, 16, 32}));
    EXPECT_EQ(options.ErrorPercents,
              (std::vector<double>{0, 0.1, 0.25, 0.5, 1, 2, 3, 5, 7, 10, 15, 20, 30, 50, 100}));
    EXPECT_FALSE(options.Side.has_value());
    EXPECT_FALSE(options.ColorCorrection);
    EXPECT_EQ(options.Jobs, 0u);
    EXPECT_FALSE(options.Output.has_value());
    EXPECT_FALSE(options.ImagesFolder.has_value());
    EXPECT_TRUE(options.Header);
    EXPECT_FALSE(options.Help);
    EXPECT_TRUE(options.Options.IsDefault());
}

TEST(CommandLine, TakesTheTransformOptions) {
    const BatchOptions options =
        Parse({"--dct-scaling", "orthonormal", "--levels=all", "--rule", "kept", "x.bmp"});
    EXPECT_EQ(options.Options,
              (TransformOptions{DctScaling::Orthonormal, AllWaveletLevels, KeepRule::Kept}));
    for (int levels = 1; levels <= 12; ++levels) {
        EXPECT_EQ(Parse({"--levels", std::to_string(levels), "x.bmp"}).Options.Levels, levels);
    }
    EXPECT_EQ(Parse({"--levels", "page", "--dct-scaling=plain", "--rule=error", "x.bmp"}).Options,
              TransformOptions{});
}

TEST(CommandLine, TakesTheDataSetOptions) {
    const std::vector<std::string_view> arguments = {"--recursive",    "--resume", "--output",
                                                     "rows.csv",       "--images", "out",
                                                     "--image-format", "png",      "photos"};
    const BatchOptions options = CommandLine::Parse(arguments);
    EXPECT_TRUE(options.Recursive);
    EXPECT_TRUE(options.Resume);
    EXPECT_EQ(options.ImagesFormat, ImageFormat::Png);
    const BatchOptions defaults = CommandLine::Parse(std::vector<std::string_view>{"photos"});
    EXPECT_FALSE(defaults.Recursive);
    EXPECT_FALSE(defaults.Resume);
    EXPECT_EQ(defaults.ImagesFormat, ImageFormat::Bmp);
}

TEST(CommandLine, TakesValuesAfterTheOptionOrAfterAnEqualsSign) {
    const BatchOptions options =
        Parse({"--transforms", "Haar 2D,dct1d", "--tiles=8,1", "--errors", "5,0.25,100",
               "--side=512", "--color-correction", "--jobs", "3", "--output", "out.csv",
               "--images=results", "--no-header", "x.bmp", "--", "--odd.bmp"});
    EXPECT_EQ(options.Kinds,
              (std::vector<TransformKind>{TransformKind::Haar2D, TransformKind::Dct1D}));
    EXPECT_EQ(options.TileCounts, (std::vector<std::int32_t>{8, 1}));
    EXPECT_EQ(options.ErrorPercents, (std::vector<double>{5, 0.25, 100}));
    EXPECT_EQ(options.Side, 512);
    EXPECT_TRUE(options.ColorCorrection);
    EXPECT_EQ(options.Jobs, 3u);
    EXPECT_EQ(options.Output, "out.csv");
    EXPECT_EQ(options.ImagesFolder, "results");
    EXPECT_FALSE(options.Header);
    EXPECT_EQ(options.Inputs, (std::vector<std::string>{"x.bmp", "--odd.bmp"}));
}

TEST(CommandLine, NamesEveryPageByItsCaption) {
    for (const auto& info : TransformKinds()) {
        const std::string caption(info.Caption);
        EXPECT_EQ(Parse({"--transforms", caption, "x.bmp"}).Kinds,
                  std::vector<TransformKind>{info.Kind})
            << caption;
    }
    EXPECT_EQ(Parse({"--transforms", "all", "x.bmp"}).Kinds.size(), 6u);
}

TEST(CommandLine, AsksForHelpWithoutInputs) {
    EXPECT_TRUE(Parse({"--help"}).Help);
    EXPECT_TRUE(Parse({"-h"}).Help);
    EXPECT_NE(CommandLine::Usage().find("--no-header"), std::string_view::npos);
}

TEST(CommandLine, RefusesWhatItCannotRunNamingOptionAndValue) {
    const struct {
        std::vector<std::string_view> Arguments;
        std::string Reason;
    } cases[] = {
        {{}, "no image or folder given"},
        {{"--tiles", "3", "x.bmp"}, "--tiles: 3 is not a power of two from 1 to 32"},
        {{"--tiles=64", "x.bmp"}, "--tiles: 64 is not a power of two from 1 to 32"},
        {{"--tiles", "0", "x.bmp"}, "--tiles: 0 is not a power of two from 1 to 32"},
        {{"--tiles", "4,4", "x.bmp"}, "--tiles: 4 is given twice"},
        {{"--tiles", "1,,2", "x.bmp"}, "--tiles: empty item in \"1,,2\""},
        {{"--tiles", "", "x.bmp"}, "--tiles: empty item in \"\""},
        {{"--errors", "5,abc", "x.bmp"}, "--errors: abc is not a percentage from 0 to 100"},
        {{"--errors", "100.5", "x.bmp"}, "--errors: 100.5 is not a percentage from 0 to 100"},
        {{"--errors", "-1", "x.bmp"}, "--errors: -1 is not a percentage from 0 to 100"},
        {{"--errors", "nan", "x.bmp"}, "--errors: nan is not a percentage from 0 to 100"},
        {{"--errors", "5,5.0", "x.bmp"}, "--errors: 5.0 is given twice"},
        {{"--transforms", "DCT 3D", "x.bmp"},
         "--transforms: \"DCT 3D\" is not one of DCT 1D, D4 1D, Haar 1D, DCT 2D, D4 2D, Haar 2D "
         "or all"},
        {{"--transforms", "haar 1d,Haar1D", "x.bmp"}, "--transforms: Haar1D is given twice"},
        {{"--side", "100", "x.bmp"}, "--side: 100 is not a power of two from 1 to 16384"},
        {{"--side", "32768", "x.bmp"}, "--side: 32768 is not a power of two from 1 to 16384"},
        {{"--jobs", "0", "x.bmp"}, "--jobs: 0 is not a number of threads from 1 to 4096"},
        {{"--jobs", "2x", "x.bmp"}, "--jobs: 2x is not a number of threads from 1 to 4096"},
        {{"--output", "", "x.bmp"}, "--output: the file name is empty"},
        {{"--images=", "x.bmp"}, "--images: the folder name is empty"},
        {{"x.bmp", "--tiles"}, "--tiles: a value is missing"},
        {{"--no-header=yes", "x.bmp"}, "--no-header takes no value"},
        {{"--frobnicate", "x.bmp"}, "unknown option --frobnicate"},
        {{"-x", "x.bmp"}, "unknown option -x"},
        {{"--dct-scaling", "ortho", "x.bmp"},
         "--dct-scaling: \"ortho\" is not one of plain and orthonormal"},
        {{"--levels", "13", "x.bmp"}, "--levels: \"13\" is not one of page, all and 1 to 12"},
        {{"--levels", "0", "x.bmp"}, "--levels: \"0\" is not one of page, all and 1 to 12"},
        {{"--levels", "2x", "x.bmp"}, "--levels: \"2x\" is not one of page, all and 1 to 12"},
        {{"--rule", "share", "x.bmp"}, "--rule: \"share\" is not one of error and kept"},
        {{"x.bmp", "--rule"}, "--rule: a value is missing"},
        {{"--resume", "x.bmp"}, "--resume: needs --output FILE"},
        {{"--resume", "--output", "o.csv", "--tile-rows", "t.csv", "x.bmp"},
         "--resume: cannot be used with --tile-rows yet"},
        {{"--image-format", "gif", "--images", "out", "x.bmp"},
         "--image-format: \"gif\" is not one of bmp and png"},
        {{"--image-format=png", "x.bmp"}, "--image-format: needs --images FOLDER"},
        {{"--recursive=yes", "photos"}, "--recursive takes no value"},
    };
    for (const auto& c : cases) {
        std::string line;
        for (std::string_view argument : c.Arguments) {
            line += " '" + std::string(argument) + "'";
        }
        EXPECT_EQ(Refusal(c.Arguments), c.Reason) << "arguments:" << line;
    }
}
