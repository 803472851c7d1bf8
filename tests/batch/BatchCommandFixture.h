#pragma once

// The batch command tests' fixture: runs the real tarvish-batch program in a folder of the
// test's own and reads what it prints and writes.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace BatchTest {

namespace fs = std::filesystem;

inline const std::string Program = TARVISH_BATCH;
inline const std::string Coffee = std::string(TARVISH_SAMPLES) + "/coffee_256x256.bmp";
inline const std::string Chelsea200 =
    std::string(TARVISH_TEST_DATA) + "/bmp-corpus/natural/chelsea_200x150.bmp";
inline const std::string Chelsea3x2 =
    std::string(TARVISH_TEST_DATA) + "/bmp-corpus/natural/chelsea_3x2.bmp";

inline const std::string Header =
    "image,width,height,transform,side,tile,error_percent,color_correction,kept_percent_red,"
    "kept_percent_green,kept_percent_blue,kept_percent,mse,psnr_db,ssim,max_error,time_ms,"
    "dct_scaling,levels,rule";

struct Outcome {
    int Status = -1;
    std::string Out;
    std::string Err;
};

inline std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The fields of a CSV line, quotes undone.
inline std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

inline double Number(const std::string& text) {
    if (text == "inf") {
        return HUGE_VAL;
    }
    double value = std::nan("");
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_TRUE(error == std::errc() && end == text.data() + text.size()) << '"' << text << '"';
    return value;
}

inline bool SameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// Every test works in a folder of its own.
class BatchCommand : public testing::Test {
protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() /
                 ("tarvish-batch-" + std::string(info->name()) + "-" + std::to_string(getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    // Runs the program with arguments, after the environment assignments in environment.
    Outcome Run(const std::vector<std::string>& arguments, const std::string& environment = "") {
        std::string command = environment;
        command += ' ';
        command += ShellQuoted(Program);
        const fs::path out = folder / "stdout.txt";
        const fs::path err = folder / "stderr.txt";
        for (const std::string& argument : arguments) {
            command += ' ';
            command += ShellQuoted(argument);
        }
        command += " > ";
        command += ShellQuoted(out.string());
        command += " 2> ";
        command += ShellQuoted(err.string());
        const int status = std::system(command.c_str());
        Outcome outcome;
        outcome.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        outcome.Out = ReadFile(out);
        outcome.Err = ReadFile(err);
        fs::remove(out);
        fs::remove(err);
        return outcome;
    }

    // A copy of a file cut short after its first bytes.
    std::string Truncated(const std::string& source, std::size_t bytes) {
        const std::string text = ReadFile(source).substr(0, bytes);
        const fs::path path = folder / "broken.bmp";
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    // The rows without their time, the 17th field.
    static std::vector<std::string> WithoutTimes(const std::string& csv) {
        std::vector<std::string> rows;
        for (const std::string& line : Lines(csv)) {
            std::vector<std::string> fields = Fields(line);
            fields.erase(fields.begin() + 16);
            std::string row;
            for (std::size_t i = 0; i < fields.size(); ++i) {
                if (i > 0) {
                    row += ',';
                }
                row += fields[i];
            }
            rows.push_back(row);
        }
        return rows;
    }

    fs::path folder;
};

} // namespace BatchTest
