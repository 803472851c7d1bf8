// Runs the real tarvish-summary program and checks what it prints, writes and returns.

#include "BdSetTable.h"
#include "BdSummary.h"
#include "CurveSummary.h"
#include "CurveTable.h"
#include "ResultRow.h"
#include "RowReader.h"
#include "Tables.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string Program = TARVISH_SUMMARY;
const std::string Shard1 = Tables::Folder + "shard-1.csv";
const std::string Shard2 = Tables::Folder + "shard-2.csv";
const std::string Old = Tables::Folder + "old.csv";

struct Outcome {
    int Status = -1;
    std::string Out;
    std::string Err;
};

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

template <typename Table, typename Items>
std::string CsvOf(const Items& items) {
    std::string text;
    // Appended piece by piece: GCC 12 warns falsely about "," + a temporary string.
    for (std::string_view column : Table::Columns()) {
        if (!text.empty()) {
            text += ',';
        }
        text += column;
    }
    text += '\n';
    for (const auto& row : Table::Rows(items)) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0) {
                text += ',';
            }
            text += ResultRow::Quoted(row[i]);
        }
        text += '\n';
    }
    return text;
}

class SummaryCommand : public testing::Test {
protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() /
                 ("tarvish-summary-" + std::string(info->name()) + "-" + std::to_string(getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    // Runs the program with arguments, standard input from input when given.
    Outcome Run(const std::vector<std::string>& arguments, const std::string& input = "") {
        std::string command = ShellQuoted(Program);
        for (const std::string& argument : arguments) {
            command += ' ';
            command += ShellQuoted(argument);
        }
        const fs::path out = folder / "stdout.txt";
        const fs::path err = folder / "stderr.txt";
        command += " > " + ShellQuoted(out.string()) + " 2> " + ShellQuoted(err.string());
        if (!input.empty()) {
            command += " < " + ShellQuoted(input);
        }
        const int status = std::system(command.c_str());
        Outcome outcome;
        outcome.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        outcome.Out = ReadFile(out);
        outcome.Err = ReadFile(err);
        fs::remove(out);
        fs::remove(err);
        return outcome;
    }

    fs::path folder;
};

} // namespace

TEST_F(SummaryCommand, WritesTheLibrarysTablesToTheFilesOrStandardOutput) {
    const RowSet set = RowReader::ReadFiles(std::vector<std::string>{Shard1, Shard2, Old});
    const std::string curves = CsvOf<CurveTable>(CurveSummary::Of(set.Rows()));
    const std::string bd =
        CsvOf<BdSetTable>(BdSummary::Of(set.Rows(), "Best per tile", BdMethod::PiecewiseCubic));
    const fs::path curvesFile = folder / "curves.csv";
    const fs::path bdFile = folder / "bd.csv";
    const Outcome toFiles =
        Run({Old, "--output", curvesFile.string(), "-", "--bd-output=" + bdFile.string(),
             "--reference", "best per tile", "--method", "pchip", Shard2},
            Shard1);
    ASSERT_EQ(toFiles.Status, 0) << toFiles.Err;
    EXPECT_EQ(toFiles.Out, "");
    EXPECT_EQ(ReadFile(curvesFile), curves);
    EXPECT_EQ(ReadFile(bdFile), bd);

    const Outcome toOutput = Run({Shard2, Shard1, Old});
    ASSERT_EQ(toOutput.Status, 0) << toOutput.Err;
    EXPECT_EQ(toOutput.Out, curves);
    EXPECT_EQ(toOutput.Err, "");
}

TEST_F(SummaryCommand, LeavesTheTablesAsTheyWereWhenARowFileIsRefused) {
    const fs::path broken = folder / "broken.csv";
    std::ofstream(broken) << ReadFile(Shard1).substr(0, 5000);
    const fs::path curvesFile = folder / "curves.csv";
    const fs::path bdFile = folder / "bd.csv";
    std::ofstream(curvesFile) << "earlier\n";
    std::ofstream(bdFile) << "earlier too\n";
    const std::vector<std::tuple<std::vector<std::string>, std::string>> cases = {
        {{Shard1, broken.string()}, broken.string() + ":"},
        {{Shard1, Old, Shard1}, Shard1 + ":2: alpha.bmp is converted twice"},
        {{Shard1, (folder / "none.csv").string()},
         "cannot read " + (folder / "none.csv").string() + ": No such file or directory\n"}};
    for (const auto& [inputs, message] : cases) {
        std::vector<std::string> arguments = inputs;
        arguments.insert(arguments.end(),
                         {"--output", curvesFile.string(), "--bd-output", bdFile.string()});
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.Status, 1) << message;
        EXPECT_EQ(outcome.Err.rfind("tarvish-summary: " + message, 0), 0u) << message << "\n"
                                                                           << outcome.Err;
        EXPECT_EQ(ReadFile(curvesFile), "earlier\n") << message;
        EXPECT_EQ(ReadFile(bdFile), "earlier too\n") << message;
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 3) << message;
    }
}

TEST_F(SummaryCommand, HelpSaysTheBdFiguresArePerImageThenAveraged) {
    const Outcome outcome = Run({"--help"});
    EXPECT_EQ(outcome.Status, 0);
    EXPECT_EQ(outcome.Out.rfind("Usage: tarvish-summary [OPTION]... FILE...\n", 0), 0u);
    EXPECT_NE(outcome.Out.find("computed per image"), std::string::npos);
    EXPECT_NE(outcome.Out.find("then\naveraged over the images"), std::string::npos);
    EXPECT_NE(outcome.Out.find("never from averaged curves"), std::string::npos);
}

// The arguments, and the reason they are refused with exit status 2.
class SummaryUsage
    : public testing::TestWithParam<std::tuple<std::vector<std::string>, std::string>> {};

TEST_P(SummaryUsage, IsRefusedWithTheReason) {
    const auto& [arguments, reason] = GetParam();
    std::string command;
    for (const std::string& a : arguments) {
        command += ' ';
        command += a;
    }
    std::string line = ShellQuoted(Program);
    for (const std::string& argument : arguments) {
        line += ' ';
        line += ShellQuoted(argument);
    }
    const std::string err =
        (fs::temp_directory_path() / ("tarvish-summary-usage-" + std::to_string(getpid())))
            .string();
    const int status = std::system((line + " > /dev/null 2> " + ShellQuoted(err)).c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 2) << command;
    const std::string expected =
        reason.rfind("cannot write", 0) == 0
            ? "tarvish-summary: " + reason + "\n"
            : "tarvish-summary: " + reason + "\nTry 'tarvish-summary --help' for more.\n";
    EXPECT_EQ(ReadFile(err), expected) << command;
    fs::remove(err);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, SummaryUsage,
    testing::Values(
        std::make_tuple(std::vector<std::string>{}, "no row file given"),
        std::make_tuple(std::vector<std::string>{"--bd", "x.csv"}, "unknown option --bd"),
        std::make_tuple(std::vector<std::string>{"x.csv", "--output"},
                        "--output: a value is missing"),
        std::make_tuple(std::vector<std::string>{"x.csv", "--bd-output", "b", "--method", "spline"},
                        "--method: \"spline\" is not one of cubic and pchip"),
        std::make_tuple(std::vector<std::string>{"x.csv", "--bd-output", "b", "--reference",
                                                 "DCT 3D"},
                        "--reference: \"DCT 3D\" is not a page caption or Best per tile"),
        std::make_tuple(std::vector<std::string>{"x.csv", "--method", "pchip"},
                        "--method: needs --bd-output FILE"),
        std::make_tuple(std::vector<std::string>{"x.csv", "--output", "t", "--bd-output", "t"},
                        "--bd-output: t is the file of --output too"),
        std::make_tuple(std::vector<std::string>{"-", "x.csv", "-"},
                        "- (standard input) is given twice"),
        std::make_tuple(std::vector<std::string>{"x.csv", "--help=yes"}, "--help takes no value"),
        std::make_tuple(std::vector<std::string>{"x.csv", "--output", "/nonexistent/t.csv"},
                        "cannot write /nonexistent/t.csv: No such file or directory")));
