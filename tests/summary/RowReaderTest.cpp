#include "RowReader.h"
#include "CsvRecords.h"
#include "RowFileError.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

const std::string Header =
    "image,width,height,transform,side,tile,error_percent,color_correction,kept_percent_red,"
    "kept_percent_green,kept_percent_blue,kept_percent,mse,psnr_db,ssim,max_error,time_ms,"
    "dct_scaling,levels,rule\n";

// A row as tarvish-batch writes it, with some columns replaced.
std::string Row(const std::map<std::size_t, std::string>& changes = {}) {
    std::vector<std::string> fields = {"a.bmp", "200", "150", "DCT 2D", "256",  "32",   "5",
                                       "no",    "4.5", "5",   "5.5",    "5",    "2.1",  "44.9",
                                       "0.99",  "7",   "3.2", "plain",  "page", "error"};
    for (const auto& [column, text] : changes) {
        fields[column] = text;
    }
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        row += (i > 0 ? "," : "") + fields[i];
    }
    return row + "\n";
}

std::string Refusal(const std::string& text, const std::string& name = "f.csv") {
    RowSet set;
    try {
        RowReader::Append(set, text, name);
        return "accepted";
    } catch (const RowFileError& error) {
        return error.what();
    }
}

} // namespace

// Text, the records' fields joined by '|' and their lines.
class CsvRecordsRead : public testing::TestWithParam<std::tuple<std::string, std::string>> {};

TEST_P(CsvRecordsRead, UndoesTheQuotesAndCountsLines) {
    const auto& [text, expected] = GetParam();
    CsvRecords records(text, "t.csv");
    std::string got;
    for (std::vector<std::string> fields; records.Next(fields);) {
        got += std::to_string(records.Line()) + ":";
        for (std::size_t i = 0; i < fields.size(); ++i) {
            got += (i > 0 ? "|" : "") + fields[i];
        }
        got += ";";
    }
    EXPECT_EQ(got, expected) << "text \"" << text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CsvRecordsRead,
    testing::Values(std::make_tuple("a,b\nc,d\n", "1:a|b;2:c|d;"),
                    std::make_tuple("\"x, \"\"y\"\"\",,z\n", "1:x, \"y\"||z;"),
                    std::make_tuple("\"two\nlines\",b\nc\n", "1:two\nlines|b;3:c;"),
                    std::make_tuple("a,b\r\n\r\n\nc\r\n", "1:a|b;4:c;"),
                    std::make_tuple("\"\"\n", "1:;"), std::make_tuple("", "")));

class CsvRecordsRefuse : public testing::TestWithParam<std::tuple<std::string, std::string>> {};

TEST_P(CsvRecordsRefuse, NamesTheRecordsFirstLine) {
    const auto& [text, reason] = GetParam();
    CsvRecords records(text, "t.csv");
    std::vector<std::string> fields;
    try {
        while (records.Next(fields)) {
        }
        ADD_FAILURE() << "accepted \"" << text << "\"";
    } catch (const RowFileError& error) {
        EXPECT_EQ(std::string(error.what()), reason) << "text \"" << text << "\"";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CsvRecordsRefuse,
    testing::Values(
        std::make_tuple("a\nb", "t.csv:2: the row is not ended by a line feed: the file may be "
                                "cut short"),
        std::make_tuple("a\nb,", "t.csv:2: the row is not ended by a line feed: the file may be "
                                 "cut short"),
        std::make_tuple("a\n\"b\nc\n", "t.csv:2: a quoted field is not closed"),
        std::make_tuple("a\"b\n", "t.csv:1: a quote inside a field that is not quoted"),
        std::make_tuple("\"a\"b\n", "t.csv:1: text after a quoted field's closing quote"),
        std::make_tuple("a\rb\n", "t.csv:1: a carriage return inside a field that is not "
                                  "quoted")));

TEST(RowReader, ReadsRowsWithAndWithoutHeaderAndOldRowsWithTheDefaultOptions) {
    RowSet set;
    RowReader::Append(set, Header + Row({{0, "\"x, \"\"1\"\"\""}, {13, "inf"}, {14, ""}}),
                      "new.csv");
    RowReader::Append(set, Row({{3, "Best per tile"}, {5, "64"}, {18, "all"}, {19, "kept"}}),
                      "bare.csv");
    const std::string old = Row({{4, "512"}, {5, "64"}, {7, "yes"}});
    RowReader::Append(set,
                      Header.substr(0, Header.find(",dct_scaling")) + "\n" +
                          old.substr(0, old.find(",plain")) + "\n",
                      "old.csv");
    ASSERT_EQ(set.Rows().size(), 3u);
    const BatchRow& first = set.Rows()[0];
    EXPECT_EQ(first.Image, "x, \"1\"");
    EXPECT_EQ(first.Tiles, 8);
    EXPECT_EQ(first.PsnrDb, HUGE_VAL);
    EXPECT_TRUE(std::isnan(first.Ssim));
    EXPECT_EQ(first.KeptPercent, 5.0);
    EXPECT_EQ(set.Where(first), "new.csv:2");
    const BatchRow& bare = set.Rows()[1];
    EXPECT_EQ(bare.Transform, "Best per tile");
    EXPECT_EQ(bare.Tiles, 4);
    EXPECT_EQ(bare.Options,
              (TransformOptions{DctScaling::Plain, AllWaveletLevels, KeepRule::Kept}));
    EXPECT_EQ(set.Where(bare), "bare.csv:1");
    const BatchRow& older = set.Rows()[2];
    EXPECT_EQ(older.Tiles, 8);
    EXPECT_TRUE(older.ColorCorrection);
    EXPECT_TRUE(older.Options.IsDefault());
}

// A column, its text, and the reason the row on line 3 is refused.
class RowReaderRefuse
    : public testing::TestWithParam<std::tuple<std::size_t, std::string, std::string>> {};

TEST_P(RowReaderRefuse, NamesTheFileLineColumnAndText) {
    const auto& [column, text, reason] = GetParam();
    const std::string where = "column " + std::to_string(column) + " \"" + text + "\"";
    EXPECT_EQ(Refusal(Header + Row({{2, "151"}}) + Row({{column, text}})), "f.csv:3: " + reason)
        << where;
}

INSTANTIATE_TEST_SUITE_P(
    Columns, RowReaderRefuse,
    testing::Values(
        std::make_tuple(0, "", "image: \"\" is empty"),
        std::make_tuple(1, "2x", "width: \"2x\" is not a whole number from 1"),
        std::make_tuple(2, "0", "height: \"0\" is not a whole number from 1"),
        std::make_tuple(3, "DCT 3D",
                        "transform: \"DCT 3D\" is not a page caption or Best per tile"),
        std::make_tuple(4, "", "side: \"\" is not a whole number from 1"),
        std::make_tuple(5, "48", "tile: \"48\" does not divide the side 256"),
        std::make_tuple(6, "101", "error_percent: \"101\" is not a percentage from 0 to 100"),
        std::make_tuple(6, "", "error_percent: \"\" is not a percentage from 0 to 100"),
        std::make_tuple(7, "maybe", "color_correction: \"maybe\" is not one of yes and no"),
        std::make_tuple(8, "1.5.2", "kept_percent_red: \"1.5.2\" is not a number"),
        std::make_tuple(11, "nan", "kept_percent: \"nan\" is not a number"),
        std::make_tuple(12, "inf", "mse: \"inf\" is not a finite number"),
        std::make_tuple(13, "4l.5", "psnr_db: \"4l.5\" is not a number"),
        std::make_tuple(13, "-inf", "psnr_db: \"-inf\" is not a PSNR"),
        std::make_tuple(14, "1e999", "ssim: \"1e999\" is not a number"),
        std::make_tuple(15, "7.5", "max_error: \"7.5\" is not a whole number from 0"),
        std::make_tuple(16, "x", "time_ms: \"x\" is not a number"),
        std::make_tuple(17, "unit", "dct_scaling: \"unit\" is not one of plain and orthonormal"),
        std::make_tuple(18, "13", "levels: \"13\" is not one of page, all and 1 to 12"),
        std::make_tuple(19, "", "rule: \"\" is not one of error and kept")));

TEST(RowReader, RefusesRowsOfAnotherWidth) {
    const std::string row = Row();
    const std::string old = row.substr(0, row.find(",plain")) + "\n";
    EXPECT_EQ(Refusal(Header + old), "f.csv:2: 17 fields where the file's first line has 20");
    EXPECT_EQ(Refusal(old + row), "f.csv:2: 20 fields where the file's first line has 17");
    EXPECT_EQ(Refusal("a,b\n"), "f.csv:1: 2 fields where a row has 17 or 20");
}

// A column and its new text; whether the row is then the same conversion as Row().
class RowReaderTwice : public testing::TestWithParam<std::tuple<std::size_t, std::string, bool>> {};

TEST_P(RowReaderTwice, RefusesTheSameConversionAtItsSecondPlace) {
    const auto& [column, text, same] = GetParam();
    const std::string where = "column " + std::to_string(column) + " \"" + text + "\"";
    RowSet set;
    RowReader::Append(set, Header + Row(), "a.csv");
    std::map<std::size_t, std::string> changes = {{column, text}};
    // Another side at the same tiles per side.
    if (column == 4) {
        changes[5] = "64";
    }
    try {
        RowReader::Append(set, Row({{0, "b.bmp"}}) + Row(changes), "b.csv");
        EXPECT_FALSE(same) << where;
    } catch (const RowFileError& error) {
        EXPECT_TRUE(same) << where;
        EXPECT_EQ(std::string(error.what()),
                  "b.csv:2: a.bmp is converted twice (DCT 2D, 8 tiles per side, error 5 %, colour "
                  "correction no, plain, page, error); first at a.csv:2")
            << where;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Columns, RowReaderTwice,
    testing::Values(std::make_tuple(16, "9.9", true), std::make_tuple(4, "512", true),
                    std::make_tuple(1, "201", true), std::make_tuple(11, "6", true),
                    std::make_tuple(6, "5.0", true), std::make_tuple(0, "c.bmp", false),
                    std::make_tuple(3, "D4 2D", false), std::make_tuple(5, "64", false),
                    std::make_tuple(6, "5.5", false), std::make_tuple(7, "yes", false),
                    std::make_tuple(17, "orthonormal", false), std::make_tuple(18, "3", false),
                    std::make_tuple(19, "kept", false)));

TEST(RowReader, NamesAFileItCannotRead) {
    RowSet set;
    try {
        RowReader::AppendFile(set, "/nonexistent/rows.csv");
        ADD_FAILURE() << "read";
    } catch (const RowFileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "cannot read /nonexistent/rows.csv: No such file or directory");
    }
}

// The index of conversions refers to the set's own rows: a copy and a move keep refusing.
TEST(RowSet, CopiedAndMovedStillRefusesRepeats) {
    RowSet set;
    RowReader::Append(set, Row(), "a.csv");
    RowSet copy = set;
    RowSet moved = std::move(set);
    RowSet assigned;
    assigned = copy;
    for (RowSet* s : {&copy, &moved, &assigned}) {
        EXPECT_THROW(RowReader::Append(*s, Row({{16, "1"}}), "b.csv"), RowFileError);
        RowReader::Append(*s, Row({{0, "b.bmp"}}), "c.csv");
        EXPECT_EQ(s->Rows().size(), 2u);
    }
}
