#pragma once

#include <stdexcept>
#include <string>

// A table cannot be written: what() names the file and the reason, e.g.
// "cannot write bd.csv: No space left on device".
class OutputFileError : public std::runtime_error {
public:
    explicit OutputFileError(const std::string& reason) : std::runtime_error(reason) {}
};
