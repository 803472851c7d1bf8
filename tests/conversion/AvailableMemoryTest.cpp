#include "AvailableMemory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {

// Sets TARVISH_MEMORY_LIMIT for one test and takes it away after.
class MemoryLimit {
public:
    explicit MemoryLimit(const char* value) { setenv("TARVISH_MEMORY_LIMIT", value, 1); }
    ~MemoryLimit() { unsetenv("TARVISH_MEMORY_LIMIT"); }
};

} // namespace

TEST(AvailableMemory, ReadsByteCountsWithSuffixes) {
    const struct {
        const char* Text;
        std::uint64_t Bytes;
    } good[] = {{"0", 0},
                {"1234", 1234},
                {"3k", 3072},
                {"3K", 3072},
                {"5M", 5242880},
                {"2G", 2147483648},
                {"18446744073709551615", 18446744073709551615u},
                {"17179869183G", 18446744072635809792u}};
    for (const auto& c : good) {
        const auto bytes = ParseByteCount(c.Text);
        ASSERT_TRUE(bytes.has_value()) << c.Text;
        EXPECT_EQ(*bytes, c.Bytes) << c.Text;
    }
    for (const char* text : {"", "K", "-1", "+1", "1.5G", "1 G", " 1", "1KB", "1T", "0x10",
                             "18446744073709551616", "17179869184G"}) {
        EXPECT_FALSE(ParseByteCount(text).has_value()) << '"' << text << '"';
    }
}

TEST(AvailableMemory, TheEnvironmentCapsWhatTheMachineHas) {
    const std::uint64_t machine = AvailableMemoryBytes();
    EXPECT_GT(machine, 0u);
    {
        // Far below any machine this runs on.
        const MemoryLimit limit("3M");
        EXPECT_EQ(AvailableMemoryBytes(), 3u << 20);
    }
    {
        // Far above: the machine's own figure stays the smaller one.
        const MemoryLimit limit("18446744073709551615");
        const std::uint64_t capped = AvailableMemoryBytes();
        EXPECT_LT(capped, 18446744073709551615u);
    }
    {
        const MemoryLimit limit("lots");
        EXPECT_THROW(AvailableMemoryBytes(), std::invalid_argument);
    }
}
