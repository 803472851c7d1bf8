#pragma once

#include <stdexcept>
#include <string>

// An image file that cannot be read or written; what() is the reason in lower
// case, e.g. "truncated JPEG file", so it reads well after "Cannot load x.jpg: ".
class ImageFileError : public std::runtime_error {
public:
    explicit ImageFileError(const std::string& reason) : std::runtime_error(reason) {}
};
