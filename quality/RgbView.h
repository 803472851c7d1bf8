#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

// A read-only view of 24-bit colour pixels held as 32-bit words 0x??RRGGBB (the top byte is
// ignored): the layout of QImage::Format_RGB32 and of the bitmap reader. Pixel (x, y) is
// Pixels[y * Stride + x]; Stride counts pixels, so a view can be a rectangle of a larger image.
struct RgbView {
    const std::uint32_t* Pixels = nullptr;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::ptrdiff_t Stride = 0;

    // The w x h rectangle whose top-left pixel is (x, y); it must lie inside this view.
    RgbView Region(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) const {
        if (x < 0 || y < 0 || w < 0 || h < 0 || x > Width - w || y > Height - h) {
            throw std::invalid_argument("RgbView: region " + std::to_string(w) + " x " +
                                        std::to_string(h) + " at (" + std::to_string(x) + ", " +
                                        std::to_string(y) + ") is not inside " +
                                        std::to_string(Width) + " x " + std::to_string(Height));
        }
        return RgbView{Pixels + y * Stride + x, w, h, Stride};
    }
};

inline int RedOf(std::uint32_t pixel) {
    return static_cast<int>(pixel >> 16 & 0xFFu);
}
inline int GreenOf(std::uint32_t pixel) {
    return static_cast<int>(pixel >> 8 & 0xFFu);
}
inline int BlueOf(std::uint32_t pixel) {
    return static_cast<int>(pixel & 0xFFu);
}
