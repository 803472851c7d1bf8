#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The records of comma-separated text (RFC 4180), one at a time. A field that starts with a
// double quote runs to the next lone one and may hold commas, line breaks and doubled quotes;
// any other field holds none of those. Every record ends with a line feed (or "\r\n"), the
// last one too: a file cut short is refused, not read as a shorter figure. Empty lines are
// skipped. Malformed text throws RowFileError naming the record's first line.
class CsvRecords {
public:
    // name is how messages call the text, e.g. its file name. The text must outlive this.
    CsvRecords(std::string_view text, std::string name);

    // The next record's fields, quotes undone; false at the end of the text.
    bool Next(std::vector<std::string>& fields);
    // The line the last record read starts on, from 1.
    std::size_t Line() const { return recordLine; }

private:
    [[noreturn]] void Fail(const std::string& reason) const;
    void ReadQuoted(std::string& field);
    void ReadPlain(std::string& field);

    std::string_view text;
    std::string name;
    std::size_t position = 0;
    // The line position is on.
    std::size_t line = 1;
    std::size_t recordLine = 0;
};
