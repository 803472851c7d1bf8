#include "InputImage.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace {

namespace fs = std::filesystem;

bool IsBitmapName(const fs::path& name) {
    std::string extension = name.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".bmp";
}

void ListFolder(const std::string& folder, std::vector<InputImage>& images) {
    std::error_code error;
    std::vector<fs::path> names;
    fs::directory_iterator entries(folder, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const fs::directory_entry& entry = *entries;
        std::error_code typeError;
        if (IsBitmapName(entry.path().filename()) && !entry.is_directory(typeError)) {
            names.push_back(entry.path().filename());
        }
    }
    if (error) {
        images.push_back({folder, "cannot read folder " + folder + ": " + error.message()});
        return;
    }
    if (names.empty()) {
        images.push_back({folder, "no .bmp file in folder " + folder});
        return;
    }
    std::sort(names.begin(), names.end());
    for (const fs::path& name : names) {
        images.push_back({(fs::path(folder) / name).string(), {}});
    }
}

} // namespace

std::vector<InputImage> ListInputImages(const std::vector<std::string>& inputs) {
    std::vector<InputImage> images;
    for (const std::string& input : inputs) {
        std::error_code error;
        if (fs::is_directory(input, error)) {
            ListFolder(input, images);
        } else {
            images.push_back({input, {}});
        }
    }
    return images;
}
