#include "ColorCorrector.h"
#include "GreyLevel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

namespace {

constexpr double KNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double KInf = std::numeric_limits<double>::infinity();

void Correct(std::vector<double>& values) {
    ColorCorrector(values.data(), static_cast<std::int32_t>(values.size()));
}

TEST(GreyLevel, ClampsSnapsRoundingNoiseAndTruncates) {
    struct Case {
        double V;
        int Level;
    };
    for (const Case c :
         {Case{254.99999999999997, 255}, Case{254.9, 254}, Case{127.9, 127}, Case{255.7, 255},
          Case{-3.2, 0}, Case{126.99999999999956, 127}, Case{KNaN, 0}, Case{KInf, 255},
          Case{-KInf, 0}, Case{1e300, 255}, Case{255.0, 255}, Case{0.0, 0}, Case{-0.0, 0},
          Case{-1e-7, 0}, Case{3.0000001, 3}, Case{2.9999989, 2}, Case{0.5, 0}, Case{17.0, 17}}) {
        EXPECT_EQ(GreyLevel(c.V), c.Level) << "value " << c.V;
    }
}

TEST(ColorCorrector, LeavesAnInRangePlaneBitForBit) {
    const std::vector<double> original = {0.0, 255.0, 127.3, 0.0001, 254.999, 3.5, 200.0};
    std::vector<double> values = original;
    Correct(values);
    EXPECT_EQ(std::memcmp(values.data(), original.data(), values.size() * sizeof(double)), 0);
}

TEST(ColorCorrector, OneValueOutOfRangeCorrectsTheWholePlane) {
    for (double outlier : {255.5, -0.5, 1000.0, -1000.0}) {
        SCOPED_TRACE(testing::Message() << "outlier " << outlier);
        std::vector<double> values = {0.0, 12.75, 127.3, 254.999, outlier, 255.0, 99.5};
        Correct(values);
        for (double v : values) {
            EXPECT_EQ(v, std::trunc(v)) << "not whole";
            EXPECT_GE(v, 0.0);
            EXPECT_LE(v, 255.0);
        }
    }
}

TEST(ColorCorrector, CompressesTheRangeToFit) {
    // lo = -255, hi = 255: v maps to (v + 255) / 2, truncated.
    std::vector<double> values;
    for (int v = -255; v <= 255; ++v) {
        values.push_back(v);
    }
    Correct(values);
    for (int v = -255; v <= 255; ++v) {
        EXPECT_EQ(values[std::size_t(v + 255)], double((v + 255) / 2)) << "value " << v;
    }

    // Never stretched: the range 0..256 is taken, not the plane's 100..256.
    std::vector<double> narrow = {100.0, 256.0};
    Correct(narrow);
    EXPECT_EQ(narrow, (std::vector<double>{99.0, 255.0}));
}

TEST(ColorCorrector, NonFiniteValuesNeitherHideNorSpoilTheCorrection) {
    std::vector<double> leadingNaN = {KNaN, -10.0, 245.0, 117.5};
    Correct(leadingNaN);
    EXPECT_EQ(leadingNaN, (std::vector<double>{0.0, 0.0, 245.0, 122.0}));

    std::vector<double> inRangeWithNaN = {10.5, KNaN, 20.0};
    Correct(inRangeWithNaN);
    EXPECT_EQ(inRangeWithNaN, (std::vector<double>{10.0, 0.0, 20.0}));

    std::vector<double> infinities = {KInf, 100.0, -KInf};
    Correct(infinities);
    EXPECT_EQ(infinities, (std::vector<double>{255.0, 100.0, 0.0}));
}

TEST(ColorCorrector, CountZeroOrNegativeChangesNothing) {
    std::vector<double> values = {-5.0, 300.0};
    ColorCorrector(values.data(), 0);
    ColorCorrector(values.data(), -1);
    ColorCorrector(nullptr, 0);
    EXPECT_EQ(values, (std::vector<double>{-5.0, 300.0}));
    EXPECT_THROW(ColorCorrector(nullptr, 3), std::invalid_argument);
}

} // namespace
