// The measures against direct long double computations on generated images.

#include "Quality.h"
#include "TestImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

int Channel(std::uint32_t pixel, int c) {
    return static_cast<int>(pixel >> (16 - 8 * c) & 0xFFu);
}

// SSIM with the whole 11 x 11 window at every pixel, in long double.
long double NaiveSsim(const TestImage& a, const TestImage& b) {
    long double w[11];
    long double total = 0.0L;
    for (int k = 0; k < 11; ++k) {
        w[k] = std::exp(-static_cast<long double>((k - 5) * (k - 5)) / 4.5L);
        total += w[k];
    }
    const long double c1 = 2.55L * 2.55L;
    const long double c2 = 7.65L * 7.65L;
    long double channels = 0.0L;
    for (int c = 0; c < 3; ++c) {
        long double sum = 0.0L;
        for (int y = 5; y < a.Height - 5; ++y) {
            for (int x = 5; x < a.Width - 5; ++x) {
                long double ma = 0, mb = 0, maa = 0, mbb = 0, mab = 0;
                for (int i = -5; i <= 5; ++i) {
                    for (int k = -5; k <= 5; ++k) {
                        const long double weight = w[i + 5] * w[k + 5] / (total * total);
                        const long double va = Channel(a.At(x + k, y + i), c);
                        const long double vb = Channel(b.At(x + k, y + i), c);
                        ma += weight * va;
                        mb += weight * vb;
                        maa += weight * va * va;
                        mbb += weight * vb * vb;
                        mab += weight * va * vb;
                    }
                }
                sum += (2 * ma * mb + c1) * (2 * (mab - ma * mb) + c2) /
                       ((ma * ma + mb * mb + c1) * (maa - ma * ma + mbb - mb * mb + c2));
            }
        }
        channels += sum / ((a.Width - 10) * (a.Height - 10));
    }
    return channels / 3;
}

struct Size {
    std::int32_t Width;
    std::int32_t Height;
};

void PrintTo(const Size& size, std::ostream* out) {
    *out << size.Width << " x " << size.Height;
}

class QualitySizes : public testing::TestWithParam<Size> {};

TEST_P(QualitySizes, AgreesWithDirectSums) {
    const auto [width, height] = GetParam();
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    const TestImage a = TestImage::Random(width, height, 7u * width + height);
    const TestImage b = a.Perturbed(12, 3u * width + height);

    long double squares = 0.0L;
    int largest = 0;
    for (std::size_t i = 0; i < a.Pixels.size(); ++i) {
        for (int c = 0; c < 3; ++c) {
            const int d = Channel(a.Pixels[i], c) - Channel(b.Pixels[i], c);
            squares += d * d;
            largest = std::max(largest, std::abs(d));
        }
    }
    const long double mse = squares / (3.0L * width * height);

    const QualityFigures f = MeasureQuality(a.View(), b.View());
    EXPECT_NEAR(f.Mse, mse, 1e-12 * mse);
    EXPECT_NEAR(f.PsnrDb, 10.0L * std::log10(65025.0L / mse), 1e-12);
    EXPECT_EQ(f.MaxError, largest);
    ASSERT_EQ(f.Ssim.has_value(), width >= 11 && height >= 11);
    if (f.Ssim) {
        EXPECT_NEAR(*f.Ssim, NaiveSsim(a, b), 1e-12);
    }
    for (std::int32_t threads : {2, 5}) {
        const QualityFigures t = MeasureQuality(a.View(), b.View(), threads);
        EXPECT_EQ(t.Mse, f.Mse) << "threads " << threads;
        EXPECT_EQ(t.MaxError, f.MaxError) << "threads " << threads;
        EXPECT_EQ(t.Ssim, f.Ssim) << "threads " << threads;
    }

    const QualityFigures same = MeasureQuality(a.View(), a.View());
    EXPECT_EQ(same.Mse, 0.0);
    EXPECT_EQ(same.PsnrDb, std::numeric_limits<double>::infinity());
    EXPECT_EQ(same.MaxError, 0);
    if (same.Ssim) {
        EXPECT_NEAR(*same.Ssim, 1.0, 1e-15);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, QualitySizes,
                         testing::Values(Size{1, 1}, Size{10, 10}, Size{10, 40}, Size{40, 10},
                                         Size{11, 11}, Size{11, 37}, Size{64, 11}, Size{33, 20},
                                         Size{300, 70}, Size{70, 140}),
                         [](const testing::TestParamInfo<Size>& info) {
                             return std::to_string(info.param.Width) + "x" +
                                    std::to_string(info.param.Height);
                         });

TEST(Quality, InvertedImageHasTheLargestErrors) {
    TestImage black(12, 12);
    TestImage white(12, 12);
    std::fill(white.Pixels.begin(), white.Pixels.end(), 0xFFFFFFu);
    const QualityFigures f = MeasureQuality(black.View(), white.View());
    EXPECT_EQ(f.Mse, 65025.0);
    EXPECT_EQ(f.PsnrDb, 0.0);
    EXPECT_EQ(f.MaxError, 255);
    // Flat windows: SSIM is C1 / (255^2 + C1) in every channel.
    EXPECT_NEAR(*f.Ssim, 6.5025 / (65025.0 + 6.5025), 1e-15);
}

TEST(Quality, EmptyRegionHasNoFigures) {
    const TestImage a = TestImage::Random(4, 4, 1);
    const QualityFigures f =
        MeasureQuality(a.View().Region(1, 1, 0, 3), a.View().Region(2, 0, 0, 3));
    EXPECT_TRUE(std::isnan(f.Mse));
    EXPECT_TRUE(std::isnan(f.PsnrDb));
    EXPECT_EQ(f.MaxError, 0);
    EXPECT_FALSE(f.Ssim);
    EXPECT_TRUE(std::isnan(Mse(RgbView{}, RgbView{})));
}

TEST(Quality, RejectsBadArgumentsNamingThem) {
    const TestImage a = TestImage::Random(6, 5, 1);
    const TestImage b = TestImage::Random(5, 6, 2);
    const auto message = [](auto call) {
        try {
            call();
        } catch (const std::invalid_argument& e) {
            return std::string(e.what());
        }
        return std::string("no exception");
    };
    EXPECT_EQ(message([&] { MeasureQuality(a.View(), b.View()); }),
              "MeasureQuality: sizes differ, a 6 x 5, b 5 x 6");
    EXPECT_EQ(message([&] {
                  Ssim(RgbView{nullptr, 3, 2, 3}, RgbView{nullptr, 3, 2, 3});
              }),
              "Ssim: image a has null pixels and size 3 x 2");
    EXPECT_EQ(message([&] {
                  Mse(a.View(), RgbView{a.Pixels.data(), -6, 5, 6});
              }),
              "Mse: image b has a negative side, -6 x 5");
    EXPECT_EQ(message([&] {
                  MaxError(RgbView{a.Pixels.data(), 6, 5, 4}, a.View());
              }),
              "MaxError: image a has stride 4 below its width 6");
    EXPECT_EQ(message([&] { MeasureQuality(a.View(), a.View(), -1); }),
              "MeasureQuality: threads -1 is negative");
    EXPECT_EQ(message([&] { PsnrDb(-1.0); }), "PsnrDb: mse -1.000000 is negative");
}

} // namespace
