#include "OutputFile.h"
#include "OutputFileError.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class OutputFileTest : public testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("tarvish-output-" + std::to_string(getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        target = folder / "table.csv";
        std::ofstream(target) << "old\n";
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string Target() const {
        std::ifstream in(target);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::size_t Files() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
    }

    fs::path folder;
    fs::path target;
};

} // namespace

TEST_F(OutputFileTest, ReplacesTheTargetOnlyOnCommit) {
    const std::vector<std::string> row = {"a,b", "say \"hi\"", ""};
    {
        OutputFile file(target.string());
        file.WriteRow(row);
        EXPECT_EQ(Target(), "old\n");
        EXPECT_EQ(Files(), 2u);
        file.Commit();
    }
    EXPECT_EQ(Target(), "\"a,b\",\"say \"\"hi\"\"\",\n");
    EXPECT_EQ(Files(), 1u);
}

TEST_F(OutputFileTest, LeavesTheTargetAsItWasWithoutCommit) {
    {
        OutputFile file(target.string());
        file.WriteRow(std::vector<std::string>{"new"});
    }
    EXPECT_EQ(Target(), "old\n");
    EXPECT_EQ(Files(), 1u);
}

TEST_F(OutputFileTest, RefusesAFolderItCannotWriteAtOnce) {
    for (const fs::path& path : {folder / "missing" / "t.csv", folder}) {
        EXPECT_THROW(OutputFile{path.string()}, OutputFileError) << path;
    }
    EXPECT_EQ(Files(), 1u);
}
