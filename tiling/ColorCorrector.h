#pragma once

#include <cstdint>

// Brings one channel plane back into the display range 0..255 when it left it.
// The constructor does all the work, in place:
// - a plane whose values all lie in 0..255 is left bit for bit unchanged;
// - otherwise every value v is mapped as (v - lo) * 255 / (hi - lo) with
//   lo = min(smallest, 0) and hi = max(largest, 255), so the range is only ever
//   compressed to fit, never stretched, and then made a whole grey level.
// NaN and infinities take no part in the smallest and largest value; any of
// them marks the plane as out of range, and the mapping sends NaN and -inf to
// 0, +inf to 255. A count of 0 or less changes nothing.
class ColorCorrector {
public:
    ColorCorrector(double* values, std::int32_t count);

    double* Values;
    std::int32_t Count;
};
