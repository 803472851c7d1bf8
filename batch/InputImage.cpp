#include "InputImage.h"

#include "ImageFormats.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

namespace fs = std::filesystem;

// Walks folder's entries (and its subfolders' with recursive), keeping image files' paths
// relative to it; symbolic links to folders are not followed, so no walk loops.
template <typename Iterator>
std::error_code Collect(const std::string& folder, std::vector<std::string>& found) {
    std::error_code error;
    Iterator entries(folder, error);
    for (; !error && entries != Iterator(); entries.increment(error)) {
        const fs::directory_entry& entry = *entries;
        std::error_code typeError;
        if (ImageFileTypeOfName(entry.path().filename().string()) != nullptr &&
            !entry.is_directory(typeError)) {
            found.push_back(entry.path().lexically_relative(folder).generic_string());
        }
    }
    return error;
}

void ListFolder(const std::string& folder, bool recursive, std::vector<InputImage>& images) {
    std::vector<std::string> found;
    const std::error_code error = recursive
                                      ? Collect<fs::recursive_directory_iterator>(folder, found)
                                      : Collect<fs::directory_iterator>(folder, found);
    if (error) {
        images.push_back({folder, {}, "cannot read folder " + folder + ": " + error.message()});
        return;
    }
    if (found.empty()) {
        images.push_back({folder, {}, "no image file in folder " + folder});
        return;
    }
    std::sort(found.begin(), found.end());
    for (const std::string& relative : found) {
        const fs::path path(relative);
        images.push_back(
            {(fs::path(folder) / path).string(), path.parent_path().generic_string(), {}});
    }
}

} // namespace

std::vector<InputImage> ListInputImages(const std::vector<std::string>& inputs, bool recursive) {
    std::vector<InputImage> images;
    for (const std::string& input : inputs) {
        std::error_code error;
        if (fs::is_directory(input, error)) {
            ListFolder(input, recursive, images);
        } else {
            images.push_back({input, {}, {}});
        }
    }
    return images;
}
