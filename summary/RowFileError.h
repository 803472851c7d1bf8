#pragma once

#include <stdexcept>
#include <string>

// Rows that cannot be summarised: what() names the file and, for a row, its line, e.g.
// "shard2.csv:14: psnr_db: \"4l.5\" is not a number".
class RowFileError : public std::runtime_error {
public:
    explicit RowFileError(const std::string& reason) : std::runtime_error(reason) {}
};
