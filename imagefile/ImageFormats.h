#pragma once

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

// The image file formats the program reads, in standard C++ so that programs built without Qt
// name them too. Bitmaps come first: the open filter's default.
struct ImageFileType {
    // Names the format in reasons: "truncated png file".
    std::string_view Name;
    // The file filter's description: "PNG files".
    std::string_view Description;
    // Lower case, with the dot; the unused ones empty.
    std::array<std::string_view, 3> Extensions;
};

inline constexpr std::array<ImageFileType, 6> ImageFileTypes{{
    {"bmp", "Bitmap files", {".bmp"}},
    {"png", "PNG files", {".png"}},
    {"jpeg", "JPEG files", {".jpg", ".jpeg"}},
    {"tiff", "TIFF files", {".tif", ".tiff"}},
    {"webp", "WebP files", {".webp"}},
    {"pnm", "Netpbm files", {".ppm", ".pgm", ".pnm"}},
}};

// The formats images are saved in.
enum class ImageFormat { Bmp, Png };

inline constexpr std::array<ImageFormat, 2> SaveFormats{ImageFormat::Bmp, ImageFormat::Png};

constexpr const ImageFileType& FileTypeOf(ImageFormat format) {
    return ImageFileTypes[format == ImageFormat::Bmp ? 0 : 1];
}

// The type whose extensions name ends in, in any case, or null.
inline const ImageFileType* ImageFileTypeOfName(std::string_view name) {
    const auto endsWith = [name](std::string_view extension) {
        return !extension.empty() && name.size() >= extension.size() &&
               std::equal(
                   extension.begin(), extension.end(), name.end() - extension.size(),
                   [](char e, char c) { return e == std::tolower(static_cast<unsigned char>(c)); });
    };
    const auto type =
        std::find_if(ImageFileTypes.begin(), ImageFileTypes.end(), [&](const ImageFileType& t) {
            return std::any_of(t.Extensions.begin(), t.Extensions.end(), endsWith);
        });
    return type == ImageFileTypes.end() ? nullptr : &*type;
}
