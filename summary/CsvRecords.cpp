#include "CsvRecords.h"

#include "RowFileError.h"

#include <algorithm>
#include <utility>

CsvRecords::CsvRecords(std::string_view text, std::string name)
    : text(text), name(std::move(name)) {}

bool CsvRecords::Next(std::vector<std::string>& fields) {
    for (;;) {
        if (text.substr(position, 1) == "\n") {
            position += 1;
        } else if (text.substr(position, 2) == "\r\n") {
            position += 2;
        } else {
            break;
        }
        ++line;
    }
    if (position == text.size()) {
        return false;
    }
    recordLine = line;
    std::size_t count = 0;
    for (;;) {
        // The fields' strings are reused from record to record.
        if (count == fields.size()) {
            fields.emplace_back();
        }
        std::string& field = fields[count++];
        if (text[position] == '"') {
            ReadQuoted(field);
        } else {
            ReadPlain(field);
        }
        if (position == text.size()) {
            Fail("the row is not ended by a line feed: the file may be cut short");
        }
        if (text[position] == ',') {
            ++position;
            if (position == text.size()) {
                Fail("the row is not ended by a line feed: the file may be cut short");
            }
            continue;
        }
        if (text.substr(position, 2) == "\r\n") {
            ++position;
        }
        if (text[position] != '\n') {
            Fail("text after a quoted field's closing quote");
        }
        ++position;
        ++line;
        break;
    }
    fields.resize(count);
    return true;
}

void CsvRecords::ReadQuoted(std::string& field) {
    field.clear();
    ++position;
    for (;;) {
        const std::size_t quote = text.find('"', position);
        if (quote == std::string_view::npos) {
            Fail("a quoted field is not closed");
        }
        const std::string_view piece = text.substr(position, quote - position);
        line += static_cast<std::size_t>(std::count(piece.begin(), piece.end(), '\n'));
        field.append(piece);
        position = quote + 1;
        if (text.substr(position, 1) != "\"") {
            return;
        }
        field += '"';
        ++position;
    }
}

void CsvRecords::ReadPlain(std::string& field) {
    // A plain loop: find_first_of searches the four characters for every character of text.
    std::size_t end = position;
    while (end < text.size() && text[end] != ',' && text[end] != '\n' && text[end] != '\r' &&
           text[end] != '"') {
        ++end;
    }
    // At the end of the text Next refuses the row, which has no line feed.
    if (end < text.size() && text[end] == '"') {
        Fail("a quote inside a field that is not quoted");
    }
    if (end < text.size() && text[end] == '\r' && text.substr(end, 2) != "\r\n") {
        Fail("a carriage return inside a field that is not quoted");
    }
    field.assign(text.substr(position, end - position));
    position = end;
}

void CsvRecords::Fail(const std::string& reason) const {
    throw RowFileError(name + ":" + std::to_string(recordLine) + ": " + reason);
}
