#pragma once

#include "SweepPoint.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The row of one conversion in the CSV tables of the batch command and the window's sweep: its
// columns, and the text of each field.
class ResultRow {
public:
    static const std::array<std::string_view, 20>& Columns();

    // The field as it goes into a row (RFC 4180): quoted when it holds a comma, a quote or a line
    // break, its quotes doubled.
    static std::string Quoted(std::string_view field);
    // The shortest text that reads back as the same double (std::to_chars); "inf" and "-inf"
    // for infinities; empty for NaN, which stands for a figure that is not defined.
    static std::string Number(double value);

    // image is the name the row gives the image, width x height its size.
    static std::vector<std::string> Fields(const std::string& image, std::int32_t width,
                                           std::int32_t height, const SweepPoint& point);
    // The same for a result of the given transform column ("Best per tile").
    static std::vector<std::string> Fields(const std::string& image, std::int32_t width,
                                           std::int32_t height, std::string_view transform,
                                           const ConversionResult& result);
};
