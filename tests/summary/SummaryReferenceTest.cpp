// The tables of the reference rows against those numpy and scipy computed from the definitions
// (tools/summary-reference made both).

#include "BdSetTable.h"
#include "BdSummary.h"
#include "CurveSummary.h"
#include "CurveTable.h"
#include "ResultRow.h"
#include "RowReader.h"
#include "Tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace {

const std::vector<std::string> Shards = {"shard-1.csv", "shard-2.csv", "old.csv"};

RowSet ReadShards(const std::vector<std::string>& order) {
    RowSet set;
    for (const std::string& name : order) {
        RowReader::AppendFile(set, Tables::Folder + name);
    }
    return set;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string joined;
    for (const std::string& name : names) {
        joined += (joined.empty() ? "" : " ") + name;
    }
    return joined;
}

// Means and percentiles differ from numpy's pairwise sums in the last bits only.
constexpr double StatisticsTolerance = 1e-12;
// numpy fits powers of raw decibels, which costs it digits (tests/curves/BdReferenceTest.cpp).
constexpr double BdTolerance = 1e-9;

} // namespace

// The method as the command line spells it, in test names and messages.
void PrintTo(BdMethod method, std::ostream* out) {
    *out << BdMethodName(method);
}

TEST(SummaryReference, CurvesAreNumpysMeansStdsAndPercentiles) {
    const RowSet set = ReadShards({"shard-2.csv", "old.csv", "shard-1.csv"});
    const std::vector<SetCurve> curves = CurveSummary::Of(set.Rows());
    const auto rows = CurveTable::Rows(curves);
    const auto expected = Tables::Read(Tables::Folder + "curves.csv");
    const auto& columns = CurveTable::Columns();
    ASSERT_EQ(expected.front().size(), columns.size() + 6);
    EXPECT_TRUE(std::equal(columns.begin(), columns.end(), expected.front().begin()));
    ASSERT_EQ(rows.size() + 1, expected.size());

    std::vector<const SetPoint*> points;
    for (const SetCurve& curve : curves) {
        for (const SetPoint& point : curve.Points) {
            points.push_back(&point);
        }
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const auto& want = expected[r + 1];
        ASSERT_EQ(rows[r].size(), columns.size());
        const std::string row = "row " + std::to_string(r + 2) + " (" + want[0] + ", " + want[1] +
                                " tiles, error " + want[3] + ")";
        for (std::size_t c = 0; c < columns.size(); ++c) {
            Tables::ExpectField(rows[r][c], want[c], StatisticsTolerance,
                                row + ", " + std::string(columns[c]));
        }
        // The quartiles the window draws, which the table leaves out.
        const SetPoint& p = *points[r];
        const double quartiles[] = {p.KeptPercent.P25, p.KeptPercent.P75, p.PsnrDb.P25,
                                    p.PsnrDb.P75,      p.Ssim.P25,        p.Ssim.P75};
        for (std::size_t q = 0; q < 6; ++q) {
            Tables::ExpectField(ResultRow::Number(quartiles[q]), want[columns.size() + q],
                                StatisticsTolerance, row + ", " + expected[0][columns.size() + q]);
        }
    }
}

class SummaryReferenceBd : public testing::TestWithParam<std::tuple<std::string, BdMethod>> {};

TEST_P(SummaryReferenceBd, FiguresArePerImageThenAveragedAsNumpyAndScipyHaveThem) {
    const auto& [reference, method] = GetParam();
    const RowSet set = ReadShards({"old.csv", "shard-1.csv", "shard-2.csv"});
    const auto rows = BdSetTable::Rows(BdSummary::Of(set.Rows(), reference, method));
    std::vector<std::vector<std::string>> expected;
    const auto all = Tables::Read(Tables::Folder + "bd.csv");
    const auto& columns = BdSetTable::Columns();
    ASSERT_TRUE(std::equal(columns.begin(), columns.end(), all.front().begin()));
    for (std::size_t r = 1; r < all.size(); ++r) {
        if (all[r][1] == reference && all[r][2] == BdMethodName(method)) {
            expected.push_back(all[r]);
        }
    }
    ASSERT_EQ(rows.size(), expected.size()) << reference << ", " << BdMethodName(method);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::string row = reference + ", " + BdMethodName(method) + ": " + expected[r][0] +
                                ", " + expected[r][3] + " tiles, " + expected[r][4] + ", " +
                                expected[r][15] + "/" + expected[r][16] + "/" + expected[r][17];
        ASSERT_EQ(rows[r].size(), columns.size()) << row;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            Tables::ExpectField(rows[r][c], expected[r][c], BdTolerance,
                                row + ", " + std::string(columns[c]));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    ReferencesAndMethods, SummaryReferenceBd,
    testing::Values(std::make_tuple(std::string("DCT 2D"), BdMethod::CubicFit),
                    std::make_tuple(std::string("DCT 2D"), BdMethod::PiecewiseCubic),
                    std::make_tuple(std::string("Best per tile"), BdMethod::CubicFit)));

// Shards may come in any order: the tables are the same to the last bit.
class SummaryShardOrder : public testing::TestWithParam<int> {};

TEST_P(SummaryShardOrder, DoesNotChangeAFigure) {
    std::vector<std::string> order = Shards;
    for (int i = 0; i < GetParam(); ++i) {
        std::next_permutation(order.begin(), order.end());
    }
    const RowSet given = ReadShards(Shards);
    const RowSet shuffled = ReadShards(order);
    EXPECT_EQ(Tables::Text(CurveTable::Rows(CurveSummary::Of(shuffled.Rows()))),
              Tables::Text(CurveTable::Rows(CurveSummary::Of(given.Rows()))))
        << Joined(order);
    for (BdMethod method : {BdMethod::CubicFit, BdMethod::PiecewiseCubic}) {
        EXPECT_EQ(Tables::Text(BdSetTable::Rows(BdSummary::Of(shuffled.Rows(), "DCT 2D", method))),
                  Tables::Text(BdSetTable::Rows(BdSummary::Of(given.Rows(), "DCT 2D", method))))
            << Joined(order) << ", " << BdMethodName(method);
    }
}

INSTANTIATE_TEST_SUITE_P(Permutations, SummaryShardOrder, testing::Range(1, 6));
