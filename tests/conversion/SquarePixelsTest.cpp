#include "SquarePixels.h"

#include <gtest/gtest.h>

#include <vector>

TEST(SquarePixels, ReadsColumnsIntoPlaneRowsWhiteOutsideAndWritesOnlyInside) {
    // Images narrower, lower and larger than the square, with rows padded past their width.
    struct Size {
        int Width, Height, Stride;
    };
    for (const Size size :
         {Size{3, 2, 5}, Size{40, 70, 40}, Size{70, 40, 72}, Size{1, 1, 1}, Size{600, 530, 610}}) {
        for (std::size_t n : {1u, 4u, 64u, 512u}) {
            // Large squares go to two threads.
            const std::size_t threads = n >= 512 ? 2 : 1;
            std::vector<std::uint32_t> pixels(std::size_t(size.Stride) * size.Height);
            for (int y = 0; y < size.Height; ++y) {
                for (int x = 0; x < size.Width; ++x) {
                    pixels[std::size_t(y) * size.Stride + x] =
                        0xFF000000u | std::uint32_t((x + y) % 256) << 16 |
                        std::uint32_t(x % 256) << 8 | std::uint32_t(y % 256);
                }
            }
            std::vector<double> red(n * n), green(n * n), blue(n * n);
            ReadSquare(RgbView{pixels.data(), size.Width, size.Height, size.Stride}, n, red, green,
                       blue, threads);
            for (std::size_t x = 0; x < n; ++x) {
                for (std::size_t y = 0; y < n; ++y) {
                    const bool inside = int(x) < size.Width && int(y) < size.Height;
                    const std::size_t at = x * n + y;
                    ASSERT_EQ(red[at], inside ? double((x + y) % 256) : 255.0)
                        << size.Width << " x " << size.Height << ", n " << n << ", (" << x << ", "
                        << y << ")";
                    ASSERT_EQ(green[at], inside ? double(x % 256) : 255.0);
                    ASSERT_EQ(blue[at], inside ? double(y % 256) : 255.0);
                }
            }
            // Back out, with values that are not whole grey levels.
            for (std::size_t i = 0; i < n * n; ++i) {
                red[i] = double(i % 300) - 20.5;
                green[i] = 254.99999999999997;
                blue[i] = 3.7;
            }
            std::vector<std::uint32_t> out(pixels.size(), 0x12345678u);
            ComposeSquare(red, green, blue, n,
                          PixelTarget{out.data(), size.Width, size.Height, size.Stride}, threads);
            for (int y = 0; y < size.Height; ++y) {
                for (int x = 0; x < size.Stride; ++x) {
                    const std::uint32_t got = out[std::size_t(y) * size.Stride + x];
                    if (x >= size.Width || std::size_t(x) >= n || std::size_t(y) >= n) {
                        ASSERT_EQ(got, 0x12345678u) << "(" << x << ", " << y << ") outside";
                        continue;
                    }
                    const double r = red[std::size_t(x) * n + y];
                    const std::uint32_t level = r >= 255 ? 255 : r < 0 ? 0 : std::uint32_t(r);
                    ASSERT_EQ(got, 0xFF000000u | level << 16 | 255u << 8 | 3u)
                        << "(" << x << ", " << y << ")";
                }
            }
        }
    }
}

TEST(SquarePixels, RefusesPlanesTooSmall) {
    std::vector<double> plane(15);
    std::vector<std::uint32_t> pixel(1);
    EXPECT_THROW(ReadSquare(RgbView{pixel.data(), 1, 1, 1}, 4, plane, plane, plane),
                 std::invalid_argument);
}
