// tarvish-batch --resume: a run cut short, by a kill or by hand, resumed to the rows of one that
// was not.

#include "BatchCommandFixture.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace BatchTest;

extern char** environ;

namespace {

// The first lines of text and, when half is set, half of the next one.
std::string Cut(const std::string& text, std::size_t lines, bool half) {
    std::size_t at = 0;
    for (std::size_t i = 0; i < lines; ++i) {
        at = text.find('\n', at) + 1;
    }
    std::size_t end = at;
    if (half && at < text.size()) {
        end += (text.find('\n', at) - at) / 2;
    }
    return text.substr(0, end);
}

void Write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace

TEST_F(BatchCommand, ResumesACutFileToTheWholeRunsRows) {
    const fs::path rows = folder / "rows.csv";
    const fs::path bd = folder / "bd.csv";
    const std::vector<std::string> common = {
        Chelsea200,    Coffee,      "--transforms", "DCT 1D,Haar 2D", "--tiles",
        "1,4",         "--errors",  "0,5,50",       "--bd",           "DCT 1D",
        "--bd-output", bd.string(), "--output",     rows.string()};
    ASSERT_EQ(Run(common).Status, 0);
    const std::string whole = ReadFile(rows);
    const std::string wholeBd = ReadFile(bd);
    const std::size_t lines = Lines(whole).size();
    ASSERT_EQ(lines, 1u + 2 * 2 * 2 * 3);
    std::vector<std::string> resume = common;
    resume.push_back("--resume");
    for (std::size_t kept : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{8},
                             std::size_t{13}, std::size_t{14}, lines - 1, lines}) {
        for (bool half : {false, true}) {
            const std::string cut = Cut(whole, kept, half);
            Write(rows, cut);
            fs::remove(bd);
            const Outcome outcome = Run(resume);
            ASSERT_EQ(outcome.Status, 0) << kept << " lines, half " << half << ": " << outcome.Err;
            const std::string resumed = ReadFile(rows);
            EXPECT_EQ(WithoutTimes(resumed), WithoutTimes(whole))
                << kept << " lines, half " << half;
            // The kept rows are kept, times and all; the BD figures count them.
            EXPECT_EQ(resumed.substr(0, Cut(whole, kept, false).size()), Cut(whole, kept, false))
                << kept << " lines, half " << half;
            EXPECT_EQ(ReadFile(bd), wholeBd) << kept << " lines, half " << half;
        }
    }
}

TEST_F(BatchCommand, ResumesTheBestPerTileAnywhere) {
    const fs::path rows = folder / "rows.csv";
    const std::vector<std::string> common = {Chelsea200, "--best-per-tile", "--tiles",
                                             "1,2",      "--errors",        "5,50",
                                             "--output", rows.string()};
    ASSERT_EQ(Run(common).Status, 0);
    const std::string whole = ReadFile(rows);
    ASSERT_EQ(Lines(whole).size(), 1u + 7 * 2 * 2);
    std::vector<std::string> resume = common;
    resume.push_back("--resume");
    // In the first block's first count, at its end, in a later block, in the last one.
    for (std::size_t kept : {2, 3, 5, 11, 26}) {
        Write(rows, Cut(whole, kept, true));
        const Outcome outcome = Run(resume);
        ASSERT_EQ(outcome.Status, 0) << kept << ": " << outcome.Err;
        EXPECT_EQ(WithoutTimes(ReadFile(rows)), WithoutTimes(whole)) << kept;
    }
}

TEST_F(BatchCommand, ResumeLeavesAFileThatIsNotThisRunsAsItWas) {
    const fs::path rows = folder / "rows.csv";
    const fs::path bd = folder / "bd.csv";
    const std::vector<std::string> common = {Coffee,    "--transforms", "Haar 1D",     "--tiles",
                                             "2",       "--output",     rows.string(), "--bd",
                                             "Haar 1D", "--bd-output",  bd.string()};
    std::vector<std::string> first = common;
    first.insert(first.end(), {"--errors", "0,5,10"});
    ASSERT_EQ(Run(first).Status, 0);
    const std::string before = Cut(ReadFile(rows), 3, true);
    Write(rows, before);
    Write(bd, "old figures\n");
    const struct {
        std::vector<std::string> Arguments;
        std::string Reason;
    } cases[] = {
        {{"--errors", "0,7,10"},
         ":3: the row of image " + Coffee +
             ", transform Haar 1D, side 256, tile 128, error_percent 5, color_correction no, "
             "dct_scaling plain, levels page, rule error is not the one this run writes there "
             "(image " +
             Coffee +
             ", transform Haar 1D, side 256, tile 128, error_percent 7, color_correction no, "
             "dct_scaling plain, levels page, rule error)"},
        {{"--errors", "0"},
         ":3: the row of image " + Coffee +
             ", transform Haar 1D, side 256, tile 128, error_percent 5, "
             "color_correction no, dct_scaling plain, levels page, rule error "
             "is past the last row this run writes"},
        {{"--errors", "0,5", "--no-header"}, ":1: the row of image image"},
        {{"--errors", "0,5", "--levels", "all"}, ":2: the row of image"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = common;
        arguments.insert(arguments.end(), c.Arguments.begin(), c.Arguments.end());
        arguments.push_back("--resume");
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.Status, 1) << c.Arguments[1];
        EXPECT_NE(outcome.Err.find("tarvish-batch: --resume: " + rows.string() + c.Reason),
                  std::string::npos)
            << c.Arguments[1] << ": " << outcome.Err;
        EXPECT_NE(outcome.Err.find("; nothing written"), std::string::npos) << outcome.Err;
        EXPECT_EQ(ReadFile(rows), before) << c.Arguments[1];
        EXPECT_EQ(ReadFile(bd), "old figures\n") << c.Arguments[1];
        EXPECT_FALSE(fs::exists(bd.string() + ".partial")) << c.Arguments[1];
    }
    Write(rows, "image,width\n");
    const Outcome notRows = Run([&] {
        std::vector<std::string> arguments = common;
        arguments.insert(arguments.end(), {"--errors", "0", "--resume"});
        return arguments;
    }());
    EXPECT_EQ(notRows.Status, 1);
    EXPECT_NE(notRows.Err.find(rows.string() + ":1: is not the header line"), std::string::npos)
        << notRows.Err;
}

// Killed (SIGKILL) once some rows are in its file, the run resumes to the whole run's rows.
TEST_F(BatchCommand, ResumesARunKilledPartWay) {
    const fs::path rows = folder / "rows.csv";
    const std::vector<std::string> common = {Coffee,     Chelsea200,   "--tiles", "1,8",
                                             "--errors", "0,1,5,20",   "--jobs",  "1",
                                             "--output", rows.string()};
    ASSERT_EQ(Run(common).Status, 0);
    const std::string whole = ReadFile(rows);
    fs::remove(rows);

    // Watched before the program starts, so no write goes unseen.
    const int watch = inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, folder.c_str(), IN_MODIFY | IN_CLOSE_WRITE), 0);
    std::vector<std::string> arguments = {Program};
    arguments.insert(arguments.end(), common.begin(), common.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, Program.c_str(), nullptr, nullptr, argv.data(), environ), 0);
    // Killed as soon as the file holds the header and four rows.
    bool killed = false;
    while (!killed) {
        pollfd events{watch, POLLIN, 0};
        ASSERT_GE(poll(&events, 1, -1), 1);
        char buffer[4096];
        ASSERT_GT(read(watch, buffer, sizeof buffer), 0);
        if (Lines(ReadFile(rows)).size() >= 5) {
            ASSERT_EQ(kill(child, SIGKILL), 0);
            killed = true;
        }
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    close(watch);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the run ended before it was killed";
    const std::size_t written = Lines(ReadFile(rows)).size();
    EXPECT_LT(written, Lines(whole).size());

    std::vector<std::string> resume = common;
    resume.push_back("--resume");
    const Outcome outcome = Run(resume);
    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(WithoutTimes(ReadFile(rows)), WithoutTimes(whole)) << "killed after " << written;
}
