#pragma once

#include <stdexcept>
#include <string>

// A command line the batch command cannot run; what() is the reason, e.g.
// "--tiles: 3 is not a power of two from 1 to 32".
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const std::string& reason) : std::runtime_error(reason) {}
};
