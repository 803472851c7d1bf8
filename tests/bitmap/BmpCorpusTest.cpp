// Every bitmap of the corpus loads as its README table says, and every input
// the fuzzer ever tripped over decodes or is refused cleanly.

#include "BmpError.h"
#include "BmpReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path DataDir = TARVISH_TEST_DATA;
const fs::path CorpusDir = DataDir / "bmp-corpus";
const char* const CorpusFolders[] = {"natural", "variants", "seeds", "quirks"};

// One row of a README table: | `file` | layout | expected | same pixels as |
struct CorpusRow {
    std::string File;
    std::string Expected;
    std::string SameAs;
};

void PrintTo(const CorpusRow& row, std::ostream* out) {
    *out << row.File;
}

// The text between the first open and the next close after it; empty if none.
std::string Between(const std::string& text, const std::string& open, const std::string& close) {
    const std::size_t start = text.find(open);
    if (start == std::string::npos) {
        return {};
    }
    const std::size_t end = text.find(close, start + open.size());
    return end == std::string::npos ? std::string()
                                    : text.substr(start + open.size(), end - start - open.size());
}

std::vector<CorpusRow> ReadCorpusTable() {
    std::ifstream readme(CorpusDir / "README.md");
    std::vector<CorpusRow> rows;
    std::string line;
    while (std::getline(readme, line)) {
        if (line.rfind("| `", 0) != 0) {
            continue;
        }
        std::vector<std::string> cells;
        std::stringstream cellStream(line.substr(1));
        std::string cell;
        while (std::getline(cellStream, cell, '|')) {
            cells.push_back(cell);
        }
        if (cells.size() < 4) {
            continue;
        }
        rows.push_back({Between(cells[0], "`", "`"), cells[2], cells[3]});
    }
    return rows;
}

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Binary PPM (P6, maxval 255), as the references were written.
BmpImage ReadPpm(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    BmpImage image;
    in >> magic >> image.Width >> image.Height >> maxValue;
    in.get();
    EXPECT_EQ(magic, "P6") << path;
    EXPECT_EQ(maxValue, 255) << path;
    for (std::int64_t i = 0; i < std::int64_t{image.Width} * image.Height; ++i) {
        const std::uint32_t r = static_cast<std::uint8_t>(in.get());
        const std::uint32_t g = static_cast<std::uint8_t>(in.get());
        const std::uint32_t b = static_cast<std::uint8_t>(in.get());
        image.Pixels.push_back(0xFF000000u | r << 16 | g << 8 | b);
    }
    EXPECT_TRUE(in) << "truncated reference " << path;
    return image;
}

// Finds a table's file in the corpus folders; names are unique across them.
fs::path Locate(const std::string& name) {
    std::vector<fs::path> found;
    for (const char* folder : CorpusFolders) {
        if (fs::exists(CorpusDir / folder / name)) {
            found.push_back(CorpusDir / folder / name);
        }
    }
    EXPECT_EQ(found.size(), 1u) << name << " is in " << found.size() << " corpus folders";
    return found.empty() ? fs::path() : found.front();
}

void ExpectSamePixels(const BmpImage& got, const BmpImage& want, int tolerance) {
    ASSERT_EQ(got.Width, want.Width);
    ASSERT_EQ(got.Height, want.Height);
    ASSERT_EQ(got.Pixels.size(), want.Pixels.size());
    std::size_t mismatches = 0;
    std::ostringstream first;
    for (std::size_t i = 0; i < got.Pixels.size(); ++i) {
        for (int shift : {0, 8, 16, 24}) {
            const int a = got.Pixels[i] >> shift & 0xFF;
            const int b = want.Pixels[i] >> shift & 0xFF;
            if (std::abs(a - b) > tolerance) {
                if (mismatches++ == 0) {
                    first << std::hex << "first at x " << std::dec << i % got.Width << ", y "
                          << i / got.Width << std::hex << ": 0x" << got.Pixels[i] << ", expected 0x"
                          << want.Pixels[i];
                }
                break;
            }
        }
    }
    EXPECT_EQ(mismatches, 0u) << "pixels differ by more than " << tolerance << ", " << first.str();
}

class BmpCorpusTest : public testing::TestWithParam<CorpusRow> {};

TEST_P(BmpCorpusTest, LoadsAsTheTableSays) {
    const CorpusRow& row = GetParam();
    const fs::path file = Locate(row.File);
    ASSERT_FALSE(file.empty());

    // BI_JPEG and BI_PNG are refused, as the table allows.
    const std::string refusal = Between(row.Expected, "REJECT (", ")");
    if (!refusal.empty()) {
        try {
            ReadBmpFile(file.string());
            FAIL() << "loaded, expected refusal: " << refusal;
        } catch (const BmpError& error) {
            EXPECT_NE(std::string(error.what()).find(refusal), std::string::npos)
                << "message: " << error.what();
        }
        return;
    }
    int width = 0;
    int height = 0;
    ASSERT_EQ(std::sscanf(row.Expected.c_str(), " LOAD %dx%d", &width, &height), 2)
        << "unknown expectation: " << row.Expected;
    const BmpImage image = ReadBmpFile(file.string());
    EXPECT_EQ(image.Width, width);
    EXPECT_EQ(image.Height, height);

    const std::string reference = Between(row.SameAs, "`", "`");
    ASSERT_FALSE(reference.empty()) << "no reference for " << row.File;
    const fs::path referencePath = CorpusDir / reference;
    const BmpImage expected = referencePath.extension() == ".ppm"
                                  ? ReadPpm(referencePath)
                                  : ReadBmpFile(referencePath.string());
    const std::string levels = Between(row.SameAs, "within ", " levels");
    SCOPED_TRACE("reference " + reference);
    ExpectSamePixels(image, expected, levels.empty() ? 0 : std::stoi(levels));
}

std::string RowName(const testing::TestParamInfo<CorpusRow>& info) {
    std::string name = fs::path(info.param.File).stem().string();
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            c = '_';
        }
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Readme, BmpCorpusTest, testing::ValuesIn(ReadCorpusTable()), RowName);

TEST(BmpCorpus, TableListsEveryFile) {
    std::vector<std::string> listed;
    for (const CorpusRow& row : ReadCorpusTable()) {
        listed.push_back(row.File);
    }
    std::size_t files = 0;
    for (const char* folder : CorpusFolders) {
        for (const auto& entry : fs::directory_iterator(CorpusDir / folder)) {
            ++files;
            const std::string name = entry.path().filename().string();
            EXPECT_NE(std::find(listed.begin(), listed.end(), name), listed.end())
                << folder << "/" << name << " is not in the README table";
        }
    }
    EXPECT_EQ(files, 64u);
    EXPECT_EQ(listed.size(), 64u);
}

// The fuzz target's pixel limit, so that each input replays exactly as found.
constexpr std::uint64_t FuzzMaxPixels = std::uint64_t{1} << 18;

TEST(BmpFuzzFindings, DecodeOrRefuseCleanly) {
    std::size_t inputs = 0;
    for (const auto& entry : fs::directory_iterator(DataDir / "bmp-fuzz")) {
        if (entry.path().extension() == ".md") {
            continue;
        }
        ++inputs;
        SCOPED_TRACE(entry.path().filename().string());
        const std::vector<std::uint8_t> bytes = ReadBytes(entry.path());
        try {
            const BmpImage image = ReadBmp(bytes.data(), bytes.size(), FuzzMaxPixels);
            ASSERT_GT(image.Width, 0);
            ASSERT_GT(image.Height, 0);
            ASSERT_EQ(image.Pixels.size(), std::size_t(image.Width) * std::size_t(image.Height));
            for (std::uint32_t pixel : image.Pixels) {
                ASSERT_EQ(pixel >> 24, 0xFFu);
            }
        } catch (const BmpError& error) {
            EXPECT_STRNE(error.what(), "");
        }
    }
    EXPECT_GT(inputs, 0u);
}

} // namespace
