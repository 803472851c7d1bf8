// libFuzzer target for the bitmap reader: every input must decode to a
// consistent image or be refused with BmpError. Anything else (a crash, a
// sanitizer report, another exception, a hang) is a finding.

#include "BmpError.h"
#include "BmpReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// Keeps the fuzzer off huge legal images (a few bytes of RLE can ask for 1 GiB);
// 512 x 512 still admits every image of the starting corpus. The regression
// test replays stored inputs with the same limit.
constexpr std::uint64_t FuzzMaxPixels = std::uint64_t{1} << 18;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const BmpImage image = ReadBmp(data, size, FuzzMaxPixels);
        if (image.Width <= 0 || image.Height <= 0 ||
            image.Pixels.size() != static_cast<std::size_t>(image.Width) * image.Height) {
            std::abort();
        }
        for (std::uint32_t pixel : image.Pixels) {
            if (pixel >> 24 != 0xFF) {
                std::abort();
            }
        }
    } catch (const BmpError&) {
    }
    return 0;
}
