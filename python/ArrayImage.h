#pragma once

#include "RgbView.h"

#include <pybind11/numpy.h>

#include <cstdint>
#include <vector>

// A numpy image as the conversion core reads it: 0xFFRRGGBB pixels, row-major, top row first.
// H x W x 3 uint8 arrays are taken as RGB; H x W (grey) and H x W x 4 (RGBA) are composed as
// the window composes a loaded file (ComposedOnWhite). Any strides, negative ones included; the
// pixels are copied once.
class ArrayImage {
public:
    // Throws pybind11::value_error naming what was given: another dtype, shape or number of
    // channels, an empty array, a side over 16384.
    explicit ArrayImage(const pybind11::array& array, const char* what = "image");

    RgbView View() const { return {pixels.data(), width, height, width}; }
    std::int32_t Width() const { return width; }
    std::int32_t Height() const { return height; }
    const std::vector<std::uint32_t>& Pixels() const { return pixels; }

    // Pixels (width * height of them) as an H x W x 3 uint8 array.
    static pybind11::array_t<std::uint8_t> ToArray(const std::uint32_t* pixels, std::int32_t width,
                                                   std::int32_t height);

private:
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> pixels;
};
