#include "Bjontegaard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

// The figures between real sweeps of the samples against those numpy and scipy computed from the
// definitions (tools/bd-reference made both files).

namespace {

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, ',')) {
        fields.push_back(field);
    }
    if (!line.empty() && line.back() == ',') {
        fields.emplace_back();
    }
    return fields;
}

std::vector<std::vector<std::string>> ReadCsv(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::vector<std::string>> rows;
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        rows.push_back(Split(line));
    }
    return rows;
}

double Tolerance(double expected) {
    return 1e-10 * std::max(1.0, std::fabs(expected));
}

const std::string Folder = TARVISH_TEST_DATA "/bd-reference/";

} // namespace

TEST(BdReference, SweepsOfTheSamplesGiveNumpysAndScipysFigures) {
    // image, tile, options -> transform -> points.
    std::map<std::string, std::map<std::string, std::vector<RdPoint>>> curves;
    for (const auto& row : ReadCsv(Folder + "sweeps.csv")) {
        ASSERT_EQ(row.size(), 8u);
        const std::string group =
            row[0] + "," + row[2] + "," + row[5] + "," + row[6] + "," + row[7];
        curves[group][row[1]].push_back({std::stod(row[3]), std::stod(row[4])});
    }
    const auto expected = ReadCsv(Folder + "expected.csv");
    ASSERT_GE(expected.size(), 60u);
    for (const auto& row : expected) {
        ASSERT_EQ(row.size(), 13u);
        const std::string group =
            row[0] + "," + row[1] + "," + row[2] + "," + row[3] + "," + row[4];
        const std::string& transform = row[5];
        const BdMethod method = *ParseBdMethod(row[6]);
        const BdFigures f =
            Bjontegaard(curves.at(group).at("DCT 2D"), curves.at(group).at(transform), method);
        const std::string what = group + " " + transform + " " + row[6];
        EXPECT_EQ(f.ReferencePoints, std::stoul(row[7])) << what;
        EXPECT_EQ(f.TestPoints, std::stoul(row[8])) << what;
        ASSERT_EQ(f.KeptPercent.has_value(), !row[11].empty()) << what;
        ASSERT_EQ(f.PsnrDb.has_value(), !row[12].empty()) << what;
        if (f.KeptPercent) {
            EXPECT_EQ(*f.OverlapLowDb, std::stod(row[9])) << what;
            EXPECT_EQ(*f.OverlapHighDb, std::stod(row[10])) << what;
            // numpy fits powers of raw decibels, which costs it digits (about 1e-11 here).
            EXPECT_NEAR(*f.KeptPercent, std::stod(row[11]), Tolerance(std::stod(row[11]))) << what;
        }
        if (f.PsnrDb) {
            EXPECT_NEAR(*f.PsnrDb, std::stod(row[12]), Tolerance(std::stod(row[12]))) << what;
        }
    }
}
