#pragma once

#include "RgbView.h"

#include <cstdint>
#include <string>
#include <vector>

// An image the test owns, pixels 0x??RRGGBB row after row.
struct TestImage {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::vector<std::uint32_t> Pixels;

    TestImage(std::int32_t width, std::int32_t height);
    // Only what the reference bitmaps need: 24 bits per pixel, uncompressed, bottom-up.
    static TestImage ReadBmp(const std::string& path);
    // Shading, edges and noise; top bytes random too, which every measure must ignore.
    static TestImage Random(std::int32_t width, std::int32_t height, std::uint32_t variant);
    // Every channel moved by up to +-spread, kept in 0..255; some pixels moved further.
    TestImage Perturbed(int spread, std::uint32_t variant) const;

    std::uint32_t& At(std::int32_t x, std::int32_t y) { return Pixels[Index(x, y)]; }
    std::uint32_t At(std::int32_t x, std::int32_t y) const { return Pixels[Index(x, y)]; }
    RgbView View() const { return RgbView{Pixels.data(), Width, Height, Width}; }

private:
    std::size_t Index(std::int32_t x, std::int32_t y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) +
               static_cast<std::size_t>(x);
    }
};
