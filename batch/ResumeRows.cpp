#include "ResumeRows.h"

#include "ResultRow.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

// The columns of a row's key, by their place in ResultRow::Columns().
constexpr std::array<std::size_t, 9> KeyColumns{0, 3, 4, 5, 6, 7, 17, 18, 19};

// One record of text from at, its fields unquoted; false when the text ends before its line
// feed. at then points past the line feed; lines counts the line feeds passed.
bool NextRecord(const std::string& text, std::size_t& at, std::vector<std::string>& fields,
                std::size_t& lines) {
    fields.assign(1, std::string());
    bool quoted = false;
    for (std::size_t i = at; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            ++lines;
        }
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c == '\n') {
            at = i + 1;
            return true;
        } else {
            fields.back() += c;
        }
    }
    return false;
}

std::string Described(std::span<const std::string> fields) {
    std::string text;
    for (std::size_t column : KeyColumns) {
        if (!text.empty()) {
            text += ", ";
        }
        text += std::string(ResultRow::Columns()[column]) + " " +
                (column < fields.size() ? ResultRow::Quoted(fields[column]) : "(none)");
    }
    return text;
}

} // namespace

ResumeRows ResumeRows::Read(const std::string& path, bool header) {
    ResumeRows kept;
    kept.path = path;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (errno == ENOENT) {
            kept.needsHeader = header;
            return kept;
        }
        throw Mismatch("cannot read " + path + ": " + std::strerror(errno));
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        throw Mismatch("cannot read " + path + ": " + std::strerror(errno));
    }
    const auto& columns = ResultRow::Columns();
    std::size_t at = 0;
    std::size_t lines = 0;
    std::vector<std::string> fields;
    bool first = true;
    while (true) {
        const std::size_t line = lines + 1;
        if (!NextRecord(text, at, fields, lines)) {
            break;
        }
        if (first && header) {
            if (!std::equal(fields.begin(), fields.end(), columns.begin(), columns.end())) {
                throw Mismatch(path + ":1: is not the header line of tarvish-batch's rows");
            }
        } else if (fields.size() != columns.size()) {
            throw Mismatch(path + ":" + std::to_string(line) + ": has " +
                           std::to_string(fields.size()) + " fields, not " +
                           std::to_string(columns.size()));
        } else {
            kept.rows.push_back({fields, line});
        }
        first = false;
        kept.keptBytes = at;
    }
    kept.needsHeader = header && first;
    return kept;
}

const std::vector<std::string>* ResumeRows::Take(std::span<const std::string> expected) {
    if (next == rows.size()) {
        return nullptr;
    }
    const Row& row = rows[next];
    for (std::size_t column : KeyColumns) {
        if (column >= expected.size() || row.Fields[column] != expected[column]) {
            throw Mismatch(path + ":" + std::to_string(row.Line) + ": the row of " +
                           Described(row.Fields) + " is not the one this run writes there (" +
                           Described(expected) + ")");
        }
    }
    ++next;
    return &row.Fields;
}

void ResumeRows::CheckAllTaken() const {
    if (next < rows.size()) {
        throw Mismatch(path + ":" + std::to_string(rows[next].Line) + ": the row of " +
                       Described(rows[next].Fields) + " is past the last row this run writes");
    }
}
