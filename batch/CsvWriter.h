#pragma once

#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Rows of comma-separated values (RFC 4180), each ended by a line feed, to a file or to
// standard output, each field quoted as ResultRow::Quoted does. Failures throw OutputError naming
// the file and the system's reason.
class CsvWriter {
public:
    // Creates or empties the file at path, or writes to standard output when there is none.
    explicit CsvWriter(const std::optional<std::string>& path);
    CsvWriter(const CsvWriter&) = delete;
    CsvWriter& operator=(const CsvWriter&) = delete;
    // Closes the file; a failure then goes unreported, so call Close first.
    ~CsvWriter();

    void WriteRow(std::span<const std::string> fields);
    // Hands the rows written so far to the system.
    void Flush();
    // Flushes and closes the file (standard output is only flushed).
    void Close();

private:
    void CheckOpen() const;
    [[noreturn]] void Fail() const;

    std::FILE* file = nullptr;
    std::string name;
    bool owned = false;
};
