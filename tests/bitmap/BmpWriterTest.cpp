// The writer: the standard layout checked byte by byte, read back by our
// reader, and failures that leave no broken file and no temporary behind.

#include "BmpWriter.h"
#include "BmpError.h"
#include "BmpReader.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

class TempFolder {
public:
    TempFolder()
        : Path(fs::temp_directory_path() /
               ("tarvish-bmp-write-" + std::to_string(std::random_device()()))) {
        fs::create_directory(Path);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        std::error_code ignored;
        fs::permissions(Path, fs::perms::owner_all, ignored);
        fs::remove_all(Path, ignored);
    }

    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Path)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    const fs::path Path;
};

Bytes ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const fs::path& path) {
    const Bytes bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

// Pixels with every byte varied, the ignored top byte too.
std::vector<std::uint32_t> TestPixels(std::size_t count) {
    std::vector<std::uint32_t> pixels(count);
    std::uint32_t state = 12345;
    for (std::uint32_t& pixel : pixels) {
        state = state * 1664525u + 1013904223u;
        pixel = state;
    }
    return pixels;
}

std::uint32_t U32(const Bytes& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::string WriteError(const fs::path& path, std::int32_t width, std::int32_t height) {
    const std::vector<std::uint32_t> pixels = TestPixels(std::size_t(width) * height);
    try {
        WriteBmpFile(path.string(), width, height, pixels.data(), pixels.size());
    } catch (const BmpError& error) {
        return error.what();
    }
    return "written";
}

struct ImageSize {
    std::int32_t Width;
    std::int32_t Height;
};

void PrintTo(const ImageSize& size, std::ostream* out) {
    *out << size.Width << " x " << size.Height;
}

class BmpRoundTrip : public testing::TestWithParam<ImageSize> {};

TEST_P(BmpRoundTrip, WritesTheStandardLayoutAndReadsBack) {
    const auto [width, height] = GetParam();
    const TempFolder folder;
    const fs::path target = folder.Path / "out.bmp";
    const std::vector<std::uint32_t> pixels = TestPixels(std::size_t(width) * height);
    WriteBmpFile(target.string(), width, height, pixels.data(), pixels.size());
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"out.bmp"});

    const Bytes file = ReadBytes(target);
    const std::size_t stride = (3 * std::size_t(width) + 3) / 4 * 4;
    ASSERT_EQ(file.size(), 54 + stride * height);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(U32(file, 2), file.size());
    EXPECT_EQ(U32(file, 10), 54u); // pixel offset
    EXPECT_EQ(U32(file, 14), 40u); // BITMAPINFOHEADER
    EXPECT_EQ(U32(file, 18), std::uint32_t(width));
    EXPECT_EQ(U32(file, 22), std::uint32_t(height)); // positive: bottom-up
    EXPECT_EQ(U32(file, 26), 1u | 24u << 16);        // one plane, 24 bits
    EXPECT_EQ(U32(file, 30), 0u);                    // BI_RGB
    EXPECT_EQ(U32(file, 34), stride * height);       // image size
    std::size_t wrong = 0;
    for (std::int32_t y = 0; y < height; ++y) {
        const std::size_t row = 54 + (height - 1 - y) * stride;
        for (std::int32_t x = 0; x < width; ++x) {
            const std::uint32_t pixel = pixels[std::size_t(y) * width + x];
            const std::uint32_t stored =
                file[row + 3 * x] | file[row + 3 * x + 1] << 8 | file[row + 3 * x + 2] << 16;
            wrong += stored != (pixel & 0xFFFFFF);
        }
        for (std::size_t pad = row + 3 * width; pad < row + stride; ++pad) {
            wrong += file[pad] != 0;
        }
    }
    EXPECT_EQ(wrong, 0u) << "bytes not in the standard layout";

    const BmpImage back = ReadBmpFile(target.string());
    ASSERT_EQ(back.Width, width);
    ASSERT_EQ(back.Height, height);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        ASSERT_EQ(back.Pixels[i], pixels[i] | 0xFF000000u) << "pixel " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, BmpRoundTrip,
                         testing::Values(ImageSize{1, 1}, ImageSize{3, 2}, ImageSize{101, 75},
                                         ImageSize{256, 256}),
                         [](const testing::TestParamInfo<ImageSize>& info) {
                             return std::to_string(info.param.Width) + "x" +
                                    std::to_string(info.param.Height);
                         });

TEST(BmpWriter, ChecksItsArguments) {
    const TempFolder folder;
    const std::string target = (folder.Path / "out.bmp").string();
    const std::vector<std::uint32_t> pixels(6);
    EXPECT_THROW(WriteBmpFile(target, 3, 3, pixels.data(), 6), std::invalid_argument);
    EXPECT_THROW(WriteBmpFile(target, 0, 6, pixels.data(), 0), std::invalid_argument);
    EXPECT_THROW(WriteBmpFile(target, 6, -1, pixels.data(), 6), std::invalid_argument);
    EXPECT_THROW(WriteBmpFile(target, BmpMaxSide + 1, 1, pixels.data(), 6), std::invalid_argument);
    EXPECT_THROW(WriteBmpFile(target, 3, 2, nullptr, 6), std::invalid_argument);
    EXPECT_THROW(WriteBmpFile("", 3, 2, pixels.data(), 6), std::invalid_argument);
    EXPECT_TRUE(folder.Entries().empty());
}

TEST(BmpWriter, ReplacesAnExistingFile) {
    const TempFolder folder;
    const fs::path target = folder.Path / "out.bmp";
    WriteBytes(target, "old");
    EXPECT_EQ(WriteError(target, 3, 2), "written");
    EXPECT_EQ(ReadBmpFile(target.string()).Width, 3);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"out.bmp"});
}

TEST(BmpWriter, FailsIntoAMissingFolder) {
    const TempFolder folder;
    EXPECT_EQ(WriteError(folder.Path / "missing" / "out.bmp", 3, 2),
              "cannot create file: No such file or directory");
    EXPECT_TRUE(folder.Entries().empty());
}

TEST(BmpWriter, FailsIntoAFolderNoOneCanWrite) {
    // Not even root can create files in /proc.
    const fs::path target = "/proc/tarvish-out.bmp";
    EXPECT_EQ(WriteError(target, 3, 2).rfind("cannot create file: ", 0), 0u);
    EXPECT_FALSE(fs::exists(target));
    for (const auto& entry : fs::directory_iterator("/proc")) {
        EXPECT_EQ(entry.path().filename().string().rfind(".tarvish-", 0), std::string::npos);
    }
}

TEST(BmpWriter, FailsIntoAReadOnlyFolderAndKeepsTheOldFile) {
    const TempFolder folder;
    const fs::path target = folder.Path / "out.bmp";
    WriteBytes(target, "old");
    fs::permissions(folder.Path, fs::perms::owner_read | fs::perms::owner_exec |
                                     fs::perms::group_read | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec);
    if (std::FILE* probe = std::fopen((folder.Path / "probe").c_str(), "w")) {
        std::fclose(probe);
        GTEST_SKIP() << "the folder stays writable (running as root)";
    }
    EXPECT_EQ(WriteError(target, 3, 2), "cannot create file: Permission denied");
    EXPECT_EQ(ReadText(target), "old");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"out.bmp"});
}

TEST(BmpWriter, FailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
    // A file size limit makes the writing itself fail, as a full disk would,
    // and holds for root too.
    const TempFolder folder;
    const fs::path target = folder.Path / "out.bmp";
    WriteBytes(target, "old");
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit saved = limit;
    limit.rlim_cur = 4096;
    const auto savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const std::string error = WriteError(target, 256, 256);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler);

    EXPECT_EQ(error, "cannot write file: File too large");
    EXPECT_EQ(ReadText(target), "old");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"out.bmp"});
}

TEST(BmpWriter, FailedReplaceLeavesNoTemporary) {
    // A folder in the target's place cannot be replaced by a file.
    const TempFolder folder;
    const fs::path target = folder.Path / "out.bmp";
    fs::create_directory(target);
    WriteBytes(target / "inside", "kept");
    EXPECT_EQ(WriteError(target, 3, 2).rfind("cannot replace file: ", 0), 0u);
    EXPECT_EQ(ReadText(target / "inside"), "kept");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"out.bmp"});
}

} // namespace
