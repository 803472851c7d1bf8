#include "ArrayImage.h"

#include "BmpReader.h"
#include "ImageFile.h"

#include <QImage>

#include <cstring>
#include <string>

namespace py = pybind11;

namespace {

std::string ShapeText(const py::array& array) {
    std::string text;
    for (py::ssize_t i = 0; i < array.ndim(); ++i) {
        text += (i > 0 ? " x " : "") + std::to_string(array.shape(i));
    }
    return text.empty() ? "a scalar" : text;
}

} // namespace

ArrayImage::ArrayImage(const py::array& array, const char* what) {
    const std::string name(what);
    if (!array.dtype().is(py::dtype::of<std::uint8_t>())) {
        throw py::value_error(name + ": dtype " + std::string(py::str(array.dtype())) +
                              ", not uint8");
    }
    const py::ssize_t ndim = array.ndim();
    const py::ssize_t channels = ndim == 3 ? array.shape(2) : 1;
    if (ndim < 2 || ndim > 3 || (ndim == 3 && channels != 3 && channels != 4)) {
        throw py::value_error(name + ": shape " + ShapeText(array) +
                              ", not H x W x 3, H x W x 4 or H x W");
    }
    if (array.shape(0) == 0 || array.shape(1) == 0) {
        throw py::value_error(name + ": empty array of shape " + ShapeText(array));
    }
    if (array.shape(0) > BmpMaxSide || array.shape(1) > BmpMaxSide) {
        throw py::value_error(name + ": shape " + ShapeText(array) + ", over " +
                              std::to_string(BmpMaxSide) + " pixels a side");
    }
    height = static_cast<std::int32_t>(array.shape(0));
    width = static_cast<std::int32_t>(array.shape(1));
    const auto* base = static_cast<const std::uint8_t*>(array.data());
    const py::ssize_t rowStride = array.strides(0);
    const py::ssize_t columnStride = array.strides(1);
    const py::ssize_t channelStride = ndim == 3 ? array.strides(2) : 0;
    const auto at = [&](py::ssize_t y, py::ssize_t x, py::ssize_t c) {
        return base[y * rowStride + x * columnStride + c * channelStride];
    };
    if (channels == 3) {
        pixels.resize(static_cast<std::size_t>(width) * height);
        for (py::ssize_t y = 0; y < height; ++y) {
            for (py::ssize_t x = 0; x < width; ++x) {
                pixels[y * width + x] = 0xFF000000u | std::uint32_t{at(y, x, 0)} << 16 |
                                        std::uint32_t{at(y, x, 1)} << 8 | at(y, x, 2);
            }
        }
        return;
    }
    // Grey and RGBA as the window's loader composes them.
    QImage image(width, height,
                 channels == 4 ? QImage::Format_RGBA8888 : QImage::Format_Grayscale8);
    if (image.isNull()) {
        throw std::bad_alloc();
    }
    for (py::ssize_t y = 0; y < height; ++y) {
        std::uint8_t* row = image.scanLine(static_cast<int>(y));
        for (py::ssize_t x = 0; x < width; ++x) {
            for (py::ssize_t c = 0; c < channels; ++c) {
                row[x * channels + c] = at(y, x, c);
            }
        }
    }
    const QImage composed = ComposedOnWhite(std::move(image));
    pixels.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        std::memcpy(pixels.data() + static_cast<std::size_t>(y) * width, composed.constScanLine(y),
                    static_cast<std::size_t>(width) * sizeof(std::uint32_t));
    }
}

py::array_t<std::uint8_t> ArrayImage::ToArray(const std::uint32_t* pixels, std::int32_t width,
                                              std::int32_t height) {
    py::array_t<std::uint8_t> array(
        {static_cast<py::ssize_t>(height), static_cast<py::ssize_t>(width), py::ssize_t{3}});
    auto out = array.mutable_unchecked<3>();
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
            out(y, x, 0) = static_cast<std::uint8_t>(p >> 16);
            out(y, x, 1) = static_cast<std::uint8_t>(p >> 8);
            out(y, x, 2) = static_cast<std::uint8_t>(p);
        }
    }
    return array;
}
