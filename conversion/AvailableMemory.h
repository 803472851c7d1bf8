#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The memory this process can still take, in bytes: the smallest of
// - MemAvailable of /proc/meminfo;
// - the room under the memory limit of the process's control group and of every group above
//   it: memory.max - memory.current (cgroup v2), memory.limit_in_bytes - memory.usage_in_bytes
//   (v1), 0 when the usage is over the limit;
// - the environment variable TARVISH_MEMORY_LIMIT (see ParseByteCount), for users who want to
//   cap what a run takes.
// When none of them can be read: the free physical memory the C library reports, or no limit
// (the largest value) when not even that is known.
// Throws std::invalid_argument, naming the value, when TARVISH_MEMORY_LIMIT is set but is not a
// byte count.
std::uint64_t AvailableMemoryBytes();

// A byte count as TARVISH_MEMORY_LIMIT gives it: decimal digits and an optional suffix K, M or G
// (either case) for 2^10, 2^20 or 2^30; empty when text is anything else or too large.
std::optional<std::uint64_t> ParseByteCount(std::string_view text);
