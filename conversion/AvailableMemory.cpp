#include "AvailableMemory.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t NoLimit = std::numeric_limits<std::uint64_t>::max();
// cgroup v1 writes "no limit" as the largest page-aligned signed 64-bit value.
constexpr std::uint64_t V1NoLimit = std::uint64_t{1} << 62;

// The first word of a file as a byte count; empty when the file cannot be read, or holds
// something else ("max" included).
std::optional<std::uint64_t> ReadCount(const fs::path& path) {
    std::ifstream in(path);
    std::string word;
    if (!(in >> word)) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::uint64_t> MemAvailable() {
    std::ifstream in("/proc/meminfo");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string name;
        std::uint64_t kibibytes = 0;
        std::string unit;
        if (fields >> name >> kibibytes >> unit && name == "MemAvailable:" && unit == "kB") {
            return kibibytes * 1024;
        }
    }
    return std::nullopt;
}

// Whether a comma-separated controller list names controller; the empty name matches only the
// empty list of the unified hierarchy.
bool ListsController(std::string_view list, std::string_view controller) {
    if (controller.empty()) {
        return list.empty();
    }
    while (!list.empty()) {
        const std::size_t comma = std::min(list.find(','), list.size());
        if (list.substr(0, comma) == controller) {
            return true;
        }
        list.remove_prefix(std::min(comma + 1, list.size()));
    }
    return false;
}

// The process's group in the hierarchy whose controllers match: "" for the unified (v2) one.
std::optional<std::string> GroupPath(std::string_view controller) {
    std::ifstream in("/proc/self/cgroup");
    std::string line;
    while (std::getline(in, line)) {
        // hierarchy-id:controller-list:path
        const std::size_t first = line.find(':');
        const std::size_t second = line.find(':', first + 1);
        if (first == std::string::npos || second == std::string::npos) {
            continue;
        }
        if (ListsController(std::string_view(line).substr(first + 1, second - first - 1),
                            controller)) {
            return line.substr(second + 1);
        }
    }
    return std::nullopt;
}

// The least room under the limits of the group at mount / path and of the groups above it.
std::optional<std::uint64_t> GroupRoom(const fs::path& mount, const std::string& path,
                                       const char* limitFile, const char* usageFile,
                                       std::uint64_t noLimitFrom) {
    std::optional<std::uint64_t> room;
    fs::path group = (mount / fs::path(path).relative_path()).lexically_normal();
    for (;;) {
        const auto limit = ReadCount(group / limitFile);
        const auto usage = ReadCount(group / usageFile);
        if (limit && usage && *limit < noLimitFrom) {
            const std::uint64_t left = *limit > *usage ? *limit - *usage : 0;
            room = std::min(room.value_or(NoLimit), left);
        }
        if (group == mount || !group.has_relative_path() || group.parent_path() == group) {
            break;
        }
        group = group.parent_path();
        if (group.native().size() < mount.native().size()) {
            break;
        }
    }
    return room;
}

std::optional<std::uint64_t> CgroupRoom() {
    const fs::path root = "/sys/fs/cgroup";
    std::error_code error;
    if (fs::exists(root / "cgroup.controllers", error)) {
        if (const auto path = GroupPath("")) {
            return GroupRoom(root, *path, "memory.max", "memory.current", NoLimit);
        }
        return std::nullopt;
    }
    if (const auto path = GroupPath("memory")) {
        return GroupRoom(root / "memory", *path, "memory.limit_in_bytes", "memory.usage_in_bytes",
                         V1NoLimit);
    }
    return std::nullopt;
}

std::optional<std::uint64_t> EnvironmentLimit() {
    const char* text = std::getenv("TARVISH_MEMORY_LIMIT");
    if (text == nullptr) {
        return std::nullopt;
    }
    const auto limit = ParseByteCount(text);
    if (!limit) {
        throw std::invalid_argument("TARVISH_MEMORY_LIMIT: \"" + std::string(text) +
                                    "\" is not a byte count such as 500M");
    }
    return limit;
}

std::optional<std::uint64_t> FreePhysicalMemory() {
    const long pages = sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

} // namespace

std::optional<std::uint64_t> ParseByteCount(std::string_view text) {
    std::uint64_t value = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop == text.data()) {
        return std::nullopt;
    }
    unsigned shift = 0;
    if (stop != end) {
        if (stop + 1 != end) {
            return std::nullopt;
        }
        switch (*stop) {
        case 'K':
        case 'k':
            shift = 10;
            break;
        case 'M':
        case 'm':
            shift = 20;
            break;
        case 'G':
        case 'g':
            shift = 30;
            break;
        default:
            return std::nullopt;
        }
    }
    if (value > NoLimit >> shift) {
        return std::nullopt;
    }
    return value << shift;
}

std::uint64_t AvailableMemoryBytes() {
    std::optional<std::uint64_t> least;
    for (const auto& figure : {EnvironmentLimit(), MemAvailable(), CgroupRoom()}) {
        if (figure) {
            least = std::min(least.value_or(NoLimit), *figure);
        }
    }
    if (least) {
        return *least;
    }
    return FreePhysicalMemory().value_or(NoLimit);
}
