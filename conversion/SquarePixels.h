#pragma once

#include "RgbView.h"

#include <cstddef>
#include <cstdint>
#include <span>

// Moving the n x n square at the top left of an image between its pixels and three channel
// planes of doubles. Plane element x * n + y holds the pixel at column x, row y, so a plane row
// is an image column. Both directions walk the image by rows and the planes in small blocks, so
// neither side is read against its memory order.

// A writable view of 0xAARRGGBB pixels; pixel (x, y) is Pixels[y * Stride + x].
struct PixelTarget {
    std::uint32_t* Pixels = nullptr;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::ptrdiff_t Stride = 0;
};

// Fills the planes from the square; points outside the image read as white, 255 in every
// channel. Each plane must hold at least n * n values. Columns of blocks go to up to threads
// threads; each writes plane rows of its own.
void ReadSquare(RgbView image, std::size_t n, std::span<double> red, std::span<double> green,
                std::span<double> blue, std::size_t threads = 1);

// Writes every pixel of the square that lies inside target as 0xFFRRGGBB, each channel made a
// whole grey level by GreyLevel; pixels outside the square are not touched. Rows of blocks go
// to up to threads threads.
void ComposeSquare(std::span<const double> red, std::span<const double> green,
                   std::span<const double> blue, std::size_t n, PixelTarget target,
                   std::size_t threads = 1);
