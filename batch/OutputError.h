#pragma once

#include <stdexcept>
#include <string>

// The rows cannot be written: what() names the file and the reason, e.g.
// "cannot write out.csv: No space left on device".
class OutputError : public std::runtime_error {
public:
    explicit OutputError(const std::string& reason) : std::runtime_error(reason) {}
};
