// The figures of the reference pairs (tests/data/quality-reference), computed by numpy and
// scikit-image 0.19, measured whole and as a region of a larger image.

#include "Quality.h"
#include "TestImage.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const std::string Folder = std::string(TARVISH_TEST_DATA) + "/quality-reference/";

struct ReferencePair {
    std::string Original;
    std::string Degraded;
    double Mse = 0.0;
    double PsnrDb = 0.0;
    int MaxError = 0;
    std::optional<double> Ssim;
};

// reference.json is an array of flat objects whose values are strings, numbers, Infinity or
// null; every value is kept as its text.
std::vector<std::map<std::string, std::string>> ReadFlatJson(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    const std::string s = text.str();
    std::vector<std::map<std::string, std::string>> objects;
    std::size_t i = 0;
    const auto token = [&] {
        while (i < s.size() && std::string(" \t\r\n,:[]").find(s[i]) != std::string::npos) {
            ++i;
        }
        if (i < s.size() && (s[i] == '{' || s[i] == '}')) {
            return std::string(1, s[i++]);
        }
        if (i < s.size() && s[i] == '"') {
            const std::size_t end = s.find('"', i + 1);
            const std::string quoted = s.substr(i + 1, end - i - 1);
            i = end + 1;
            return quoted;
        }
        const std::size_t end = s.find_first_of(" \t\r\n,}]", i);
        const std::string bare = s.substr(i, end - i);
        i = end;
        return bare;
    };
    for (std::string t = token(); !t.empty(); t = token()) {
        if (t == "{") {
            objects.emplace_back();
        } else if (t != "}") {
            objects.back()[t] = token();
        }
    }
    return objects;
}

std::vector<ReferencePair> ReadReference() {
    std::vector<ReferencePair> pairs;
    for (const auto& o : ReadFlatJson(Folder + "reference.json")) {
        ReferencePair p{o.at("original"),
                        o.at("degraded"),
                        std::strtod(o.at("mse").c_str(), nullptr),
                        std::strtod(o.at("psnr_db").c_str(), nullptr),
                        std::atoi(o.at("max_abs_error").c_str()),
                        std::nullopt};
        if (o.at("ssim_rgb_mean") != "null") {
            p.Ssim = std::strtod(o.at("ssim_rgb_mean").c_str(), nullptr);
        }
        pairs.push_back(p);
    }
    return pairs;
}

void PrintTo(const ReferencePair& p, std::ostream* out) {
    *out << p.Original << " / " << p.Degraded;
}

void ExpectRelative(double actual, double expected, const std::string& what) {
    if (std::isinf(expected)) {
        EXPECT_EQ(actual, expected) << what;
    } else {
        EXPECT_NEAR(actual, expected, 1e-9 * std::abs(expected)) << what;
    }
}

void ExpectReference(const QualityFigures& f, const ReferencePair& p) {
    ExpectRelative(f.Mse, p.Mse, "mse");
    ExpectRelative(f.PsnrDb, p.PsnrDb, "psnr");
    EXPECT_EQ(f.MaxError, p.MaxError);
    ASSERT_EQ(f.Ssim.has_value(), p.Ssim.has_value());
    if (p.Ssim) {
        EXPECT_NEAR(*f.Ssim, *p.Ssim, 1e-6);
    }
}

// The pair in the middle of larger images whose surroundings differ.
TestImage Embedded(const TestImage& image, std::uint32_t variant) {
    TestImage big = TestImage::Random(image.Width + 19, image.Height + 14, variant);
    for (std::int32_t y = 0; y < image.Height; ++y) {
        for (std::int32_t x = 0; x < image.Width; ++x) {
            big.At(x + 12, y + 5) = image.At(x, y) | 0xAB000000u;
        }
    }
    return big;
}

class QualityReference : public testing::TestWithParam<ReferencePair> {};

TEST_P(QualityReference, AgreesWholeAndAsRegionAtAnyThreadCount) {
    const ReferencePair& p = GetParam();
    const TestImage a = TestImage::ReadBmp(Folder + p.Original);
    const TestImage b = TestImage::ReadBmp(Folder + p.Degraded);
    SCOPED_TRACE(p.Original + " / " + p.Degraded + ", " + std::to_string(a.Width) + " x " +
                 std::to_string(a.Height));

    const QualityFigures whole = MeasureQuality(a.View(), b.View());
    ExpectReference(whole, p);
    ExpectRelative(Mse(a.View(), b.View()), p.Mse, "Mse alone");
    ExpectRelative(PsnrDb(Mse(a.View(), b.View())), p.PsnrDb, "PsnrDb alone");
    EXPECT_EQ(MaxError(a.View(), b.View()), p.MaxError) << "MaxError alone";
    EXPECT_EQ(Ssim(a.View(), b.View()), whole.Ssim) << "Ssim alone";

    const TestImage bigA = Embedded(a, 1);
    const TestImage bigB = Embedded(b, 2);
    for (std::int32_t threads : {1, 2, 3, 0}) {
        SCOPED_TRACE("region, threads " + std::to_string(threads));
        const QualityFigures region =
            MeasureQuality(bigA.View().Region(12, 5, a.Width, a.Height),
                           bigB.View().Region(12, 5, a.Width, a.Height), threads);
        // Same pixels, same figures to the last bit.
        EXPECT_EQ(region.Mse, whole.Mse);
        EXPECT_EQ(region.PsnrDb, whole.PsnrDb);
        EXPECT_EQ(region.MaxError, whole.MaxError);
        EXPECT_EQ(region.Ssim, whole.Ssim);
    }
}

INSTANTIATE_TEST_SUITE_P(Pairs, QualityReference, testing::ValuesIn(ReadReference()),
                         [](const testing::TestParamInfo<ReferencePair>& info) {
                             std::string name = info.param.Degraded;
                             for (char& c : name) {
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

// Guards the test above against a reference file that reads as no pairs.
TEST(QualityReference, ReadsEveryPair) {
    EXPECT_EQ(ReadReference().size(), 9u);
}

} // namespace
