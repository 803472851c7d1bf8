#include "Percentile.h"
#include "SampleStatistics.h"
#include "Tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <ostream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

struct NumpyCase {
    std::vector<double> Values;
    double P = 0.0;
    double Expected = 0.0;
};

void PrintTo(const NumpyCase& c, std::ostream* out) {
    *out << c.Values.size() << " values from " << c.Values.front() << ", p " << c.P;
}

// tests/data/summary-reference/percentiles.csv: values separated by spaces, p, and
// numpy.percentile's answer.
std::vector<NumpyCase> NumpyCases() {
    std::vector<NumpyCase> cases;
    const auto rows = Tables::Read(Tables::Folder + "percentiles.csv");
    for (std::size_t r = 1; r < rows.size(); ++r) {
        NumpyCase c;
        std::istringstream values(rows[r][0]);
        for (std::string v; values >> v;) {
            double x = 0.0;
            Tables::ParseNumber(v, x);
            c.Values.push_back(x);
        }
        Tables::ParseNumber(rows[r][1], c.P);
        Tables::ParseNumber(rows[r][2], c.Expected);
        cases.push_back(c);
    }
    return cases;
}

std::vector<double> Sample(std::size_t n, unsigned start, double offset) {
    std::mt19937_64 random(start);
    std::normal_distribution<double> noise(offset, 1.0);
    std::vector<double> values(n);
    for (double& v : values) {
        v = noise(random);
    }
    return values;
}

} // namespace

class PercentileAgainstNumpy : public testing::TestWithParam<NumpyCase> {};

// The same operations in the same order as numpy's, so the same bits.
TEST_P(PercentileAgainstNumpy, InterpolatesAsNumpyDoesToTheBit) {
    const NumpyCase& c = GetParam();
    const std::string what = "n " + std::to_string(c.Values.size()) + ", p " + std::to_string(c.P);
    EXPECT_EQ(Percentile(c.Values, c.P), c.Expected) << what;
    std::vector<double> sorted = c.Values;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(PercentileOfSorted(sorted, c.P), c.Expected) << what;
}

INSTANTIATE_TEST_SUITE_P(Samples, PercentileAgainstNumpy, testing::ValuesIn(NumpyCases()));

TEST(Percentile, RefusesWhatHasNoPercentile) {
    const std::vector<double> values = {1.0, 2.0};
    for (double p : {-0.1, 100.1, NaN, Inf}) {
        EXPECT_THROW(Percentile(values, p), std::invalid_argument) << "p " << p;
    }
    for (double bad : {NaN, Inf, -Inf}) {
        const std::vector<double> with = {1.0, bad};
        EXPECT_THROW(Percentile(with, 50.0), std::invalid_argument) << bad;
        EXPECT_THROW(SampleStatistics::Of(with), std::invalid_argument) << bad;
    }
    EXPECT_THROW(PercentileOfSorted(std::vector<double>{2.0, 1.0}, 50.0), std::invalid_argument);
    EXPECT_TRUE(std::isnan(Percentile({}, 50.0)));
}

// n, and an offset that makes the sample standard deviation a difference of large numbers.
class SampleStatisticsSums : public testing::TestWithParam<std::tuple<std::size_t, double>> {};

TEST_P(SampleStatisticsSums, AreTheLongDoubleSums) {
    const auto [n, offset] = GetParam();
    const std::string what = "n " + std::to_string(n) + ", offset " + std::to_string(offset);
    const std::vector<double> values = Sample(n, 7 + n, offset);
    long double sum = 0.0L;
    for (double v : values) {
        sum += v;
    }
    const long double mean = sum / static_cast<long double>(n);
    long double squares = 0.0L;
    for (double v : values) {
        squares += (v - mean) * (v - mean);
    }
    const SampleStatistics s = SampleStatistics::Of(values);
    EXPECT_EQ(s.Count, n) << what;
    EXPECT_NEAR(s.Mean, static_cast<double>(mean), 1e-14 * std::fabs(offset) + 1e-14) << what;
    if (n == 1) {
        EXPECT_TRUE(std::isnan(s.Std)) << what;
    } else {
        const auto deviation =
            static_cast<double>(std::sqrt(squares / static_cast<long double>(n - 1)));
        EXPECT_NEAR(s.Std, deviation, 1e-9 * deviation) << what;
    }
    EXPECT_EQ(s.Min, *std::min_element(values.begin(), values.end())) << what;
    EXPECT_EQ(s.Max, *std::max_element(values.begin(), values.end())) << what;
    EXPECT_EQ(s.P25, Percentile(values, 25.0)) << what;
    EXPECT_EQ(s.Median, Percentile(values, 50.0)) << what;
    EXPECT_EQ(s.P75, Percentile(values, 75.0)) << what;
    EXPECT_LE(s.Min, s.P25) << what;
    EXPECT_LE(s.P75, s.Max) << what;

    // The order the images come in changes no bit.
    std::vector<double> shuffled = values;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(3));
    const SampleStatistics t = SampleStatistics::Of(shuffled);
    EXPECT_EQ(t.Mean, s.Mean) << what;
    EXPECT_TRUE(t.Std == s.Std || (std::isnan(t.Std) && std::isnan(s.Std))) << what;
}

INSTANTIATE_TEST_SUITE_P(Sizes, SampleStatisticsSums,
                         testing::Combine(testing::Values<std::size_t>(1, 2, 3, 10, 1000),
                                          testing::Values(0.0, 40.0, 1e6)));

TEST(SampleStatistics, OfNoValuesIsUndefined) {
    const SampleStatistics s = SampleStatistics::Of({});
    EXPECT_EQ(s.Count, 0u);
    for (double v : {s.Mean, s.Std, s.Min, s.P25, s.Median, s.P75, s.Max}) {
        EXPECT_TRUE(std::isnan(v));
    }
}
