#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// How many levels a wavelet transform decomposes each line through: AllLevels, or a count of at
// least 1. A level applies the transform's step to the smooth part the level before left at the
// front of the line; the levels end early where the line gets too short for another step.
inline constexpr int AllLevels = 0;

inline int CheckedLevels(int levels, const char* where) {
    if (levels < 0) {
        throw std::invalid_argument(std::string(where) + ": levels " + std::to_string(levels) +
                                    " is negative");
    }
    return levels;
}

// Whether one more step may run after steps of them: always for AllLevels.
constexpr bool MoreLevels(int levels, int steps) {
    return levels == AllLevels || steps < levels;
}
