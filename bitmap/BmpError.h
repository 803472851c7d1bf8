#pragma once

#include <stdexcept>
#include <string>

// A bitmap that cannot be read or written; what() is the reason in lower case,
// e.g. "truncated pixel data".
class BmpError : public std::runtime_error {
public:
    explicit BmpError(const std::string& reason) : std::runtime_error(reason) {}
};
