#pragma once

#include <cstdint>
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
    enum class Mode {
        // Creates or empties the file at once.
        Create,
        // Keeps the file's first KeptBytes and writes after them; the file is touched only by
        // the first row or by Close, so a run that fails before leaves it as it was.
        Append,
        // Writes to a temporary file beside it that replaces the file at Close; one that is
        // never closed is removed, and the old file stays.
        Replace,
    };

    // Writes to path, or to standard output when there is none (in any mode).
    explicit CsvWriter(const std::optional<std::string>& path, Mode mode = Mode::Create,
                       std::uint64_t keptBytes = 0);
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
    // Opens the file of an Append writer, cut to its kept bytes.
    void OpenForAppend();
    void CheckOpen() const;
    [[noreturn]] void Fail() const;

    std::FILE* file = nullptr;
    std::string name;
    // Where a Replace writer writes until Close.
    std::string temporary;
    Mode mode = Mode::Create;
    std::uint64_t keptBytes = 0;
    bool owned = false;
    bool closed = false;
};
