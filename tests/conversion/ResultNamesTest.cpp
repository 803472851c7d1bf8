#include "ResultNames.h"

#include <gtest/gtest.h>

#include <stdexcept>

// The naming itself is checked through tarvish-batch's forwards (tests/batch); here the shared
// functions' own edges.
TEST(ResultNames, CoveringSideHoldsUpTo2To30) {
    const struct {
        std::int32_t Side;
        std::int32_t Covering;
    } cases[] = {{-5, 1}, {64, 64}, {65, 128}, {(1 << 29) + 1, 1 << 30}, {1 << 30, 1 << 30}};
    for (const auto& c : cases) {
        EXPECT_EQ(CoveringSide(c.Side), c.Covering) << c.Side;
    }
    EXPECT_THROW(CoveringSide((1 << 30) + 1), std::invalid_argument);
}

TEST(ResultNames, WhiteSquareAndFormats) {
    EXPECT_EQ(ResultFileName("white.bmp", TransformKind::Haar1D, 1, 0.0),
              "white_Haar1D_1tiles_0pct.bmp");
    EXPECT_EQ(ResultFileName("dir.v2/a.b.PNG", TransformKind::Dct2D, 16, 2.5, {}, ImageFormat::Png),
              "a.b_png_DCT2D_16tiles_2.5pct.png");
}
