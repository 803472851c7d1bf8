#include "BmpWriter.h"

#include "BmpError.h"
#include "BmpReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace {

constexpr std::uint32_t HeadersSize = 14 + 40;

[[noreturn]] void Fail(const std::string& what, int error) {
    throw BmpError(what + ": " + std::strerror(error));
}

void Put16(std::uint8_t* p, std::uint32_t value) {
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t value) {
    Put16(p, value);
    Put16(p + 2, value >> 16);
}

// A new file next to the target that takes the target's place on Commit, and
// is removed if anything fails before then.
class PendingFile {
public:
    explicit PendingFile(const std::filesystem::path& target) : target(target) {
        const std::filesystem::path folder = target.parent_path();
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            path = folder / (".tarvish-" + std::to_string(random()) + ".tmp");
            // "x": never reuse a name that exists, even if another program made it meanwhile.
            file = std::fopen(path.c_str(), "wbx");
            if (file != nullptr || errno != EEXIST) {
                break;
            }
        }
        if (file == nullptr) {
            Fail("cannot create file", errno);
        }
    }

    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    ~PendingFile() {
        if (file != nullptr) {
            std::fclose(file);
        }
        if (!committed) {
            std::remove(path.c_str());
        }
    }

    void Write(const std::uint8_t* bytes, std::size_t size) {
        if (std::fwrite(bytes, 1, size, file) != size) {
            Fail("cannot write file", errno);
        }
    }

    void Commit() {
        // Disk-full errors of buffered data show up only when it is flushed.
        const bool flushed = std::fflush(file) == 0;
        const int flushError = errno;
        const bool closed = std::fclose(file) == 0;
        const int closeError = errno;
        file = nullptr;
        if (!flushed || !closed) {
            Fail("cannot write file", !flushed ? flushError : closeError);
        }
        std::error_code error;
        std::filesystem::rename(path, target, error);
        if (error) {
            throw BmpError("cannot replace file: " + error.message());
        }
        committed = true;
    }

private:
    std::filesystem::path target;
    std::filesystem::path path;
    std::FILE* file = nullptr;
    bool committed = false;
};

} // namespace

void WriteBmpFile(const std::string& path, std::int32_t width, std::int32_t height,
                  const std::uint32_t* pixels, std::size_t count) {
    if (path.empty()) {
        throw std::invalid_argument("path is empty");
    }
    if (width < 1 || width > BmpMaxSide) {
        throw std::invalid_argument("width " + std::to_string(width) + " outside 1.." +
                                    std::to_string(BmpMaxSide));
    }
    if (height < 1 || height > BmpMaxSide) {
        throw std::invalid_argument("height " + std::to_string(height) + " outside 1.." +
                                    std::to_string(BmpMaxSide));
    }
    if (pixels == nullptr) {
        throw std::invalid_argument("pixels is null");
    }
    const std::size_t w = static_cast<std::size_t>(width);
    const std::size_t h = static_cast<std::size_t>(height);
    if (count != w * h) {
        throw std::invalid_argument("count " + std::to_string(count) + " is not width x height " +
                                    std::to_string(width) + " x " + std::to_string(height));
    }
    const std::size_t stride = (3 * w + 3) / 4 * 4;
    const std::uint32_t imageSize = static_cast<std::uint32_t>(stride * h);

    std::uint8_t header[HeadersSize] = {'B', 'M'};
    Put32(header + 2, HeadersSize + imageSize);
    Put32(header + 10, HeadersSize);
    Put32(header + 14, 40);
    Put32(header + 18, static_cast<std::uint32_t>(width));
    Put32(header + 22, static_cast<std::uint32_t>(height));
    Put16(header + 26, 1);  // planes
    Put16(header + 28, 24); // bits per pixel; compression 0 is BI_RGB
    Put32(header + 34, imageSize);
    Put32(header + 38, 2835); // 72 dots per inch
    Put32(header + 42, 2835);

    PendingFile file{std::filesystem::path(path)};
    file.Write(header, sizeof header);
    std::vector<std::uint8_t> row(stride, 0);
    for (std::size_t y = h; y-- > 0;) {
        const std::uint32_t* src = pixels + y * w;
        for (std::size_t x = 0; x < w; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(src[x]);
            row[3 * x + 1] = static_cast<std::uint8_t>(src[x] >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(src[x] >> 16);
        }
        file.Write(row.data(), row.size());
    }
    file.Commit();
}
