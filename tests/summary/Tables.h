#pragma once

// Reading the reference tables, which hold no quoted field, and comparing a table with one.

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace Tables {

const std::string Folder = TARVISH_TEST_DATA "/summary-reference/";

inline std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

// Every line of the file, the header first.
inline std::vector<std::vector<std::string>> Read(const std::string& path) {
    std::ifstream in(path);
    EXPECT_TRUE(in.good()) << path;
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(in, line);) {
        rows.push_back(Split(line));
    }
    return rows;
}

inline bool ParseNumber(const std::string& text, double& value) {
    if (text == "inf") {
        value = HUGE_VAL;
        return true;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

// Numbers within tolerance times max(1, |expected|), other fields (empty ones too) exactly.
inline void ExpectField(const std::string& actual, const std::string& expected, double tolerance,
                        const std::string& where) {
    double a = 0.0;
    double e = 0.0;
    if (ParseNumber(actual, a) && ParseNumber(expected, e) && std::isfinite(e)) {
        EXPECT_NEAR(a, e, tolerance * std::max(1.0, std::fabs(e))) << where;
    } else {
        EXPECT_EQ(actual, expected) << where;
    }
}

inline std::string Text(const std::vector<std::vector<std::string>>& rows) {
    std::string text;
    for (const auto& row : rows) {
        for (const std::string& field : row) {
            text += field + ',';
        }
        text += '\n';
    }
    return text;
}

} // namespace Tables
