#include "TestImage.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace {

std::uint32_t Field(const std::vector<unsigned char>& bytes, std::size_t at, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = size; i-- > 0;) {
        value = value << 8 | bytes.at(at + i);
    }
    return value;
}

std::uint32_t Rgb(int r, int g, int b) {
    return static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 |
           static_cast<std::uint32_t>(b);
}

} // namespace

TestImage::TestImage(std::int32_t width, std::int32_t height)
    : Width(width), Height(height),
      Pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {}

TestImage TestImage::ReadBmp(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), {}};
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M' || Field(bytes, 28, 2) != 24 ||
        Field(bytes, 30, 4) != 0) {
        throw std::runtime_error(path + ": not a 24-bit uncompressed bitmap");
    }
    const std::size_t offset = Field(bytes, 10, 4);
    TestImage image(static_cast<std::int32_t>(Field(bytes, 18, 4)),
                    static_cast<std::int32_t>(Field(bytes, 22, 4)));
    const std::size_t rowBytes = (3 * static_cast<std::size_t>(image.Width) + 3) / 4 * 4;
    for (std::int32_t y = 0; y < image.Height; ++y) {
        const std::size_t row = offset + static_cast<std::size_t>(image.Height - 1 - y) * rowBytes;
        for (std::int32_t x = 0; x < image.Width; ++x) {
            const std::size_t at = row + 3 * static_cast<std::size_t>(x);
            image.At(x, y) = Rgb(bytes.at(at + 2), bytes.at(at + 1), bytes.at(at));
        }
    }
    return image;
}

TestImage TestImage::Random(std::int32_t width, std::int32_t height, std::uint32_t variant) {
    std::mt19937 generator(variant);
    std::uniform_int_distribution<int> noise(-20, 20);
    std::uniform_int_distribution<std::uint32_t> top(0, 255);
    TestImage image(width, height);
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            int c[3];
            for (int k = 0; k < 3; ++k) {
                const double shade = 128.0 +
                                     100.0 * std::sin(0.21 * x + 2.0 * k) * std::cos(0.13 * y - k) +
                                     (x > width / 2 ? 60.0 : -40.0);
                c[k] = std::clamp(static_cast<int>(shade) + noise(generator), 0, 255);
            }
            image.At(x, y) = top(generator) << 24 | Rgb(c[0], c[1], c[2]);
        }
    }
    return image;
}

TestImage TestImage::Perturbed(int spread, std::uint32_t variant) const {
    std::mt19937 generator(variant);
    std::uniform_int_distribution<int> change(-spread, spread);
    std::uniform_int_distribution<int> outlier(0, 99);
    TestImage copy = *this;
    for (std::uint32_t& pixel : copy.Pixels) {
        const int factor = outlier(generator) == 0 ? 8 : 1;
        const auto moved = [&](int value) {
            return std::clamp(value + factor * change(generator), 0, 255);
        };
        pixel = Rgb(moved(RedOf(pixel)), moved(GreenOf(pixel)), moved(BlueOf(pixel)));
    }
    return copy;
}
