#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

// The rows an interrupted run left in its output, for --resume. Rows are matched in order
// against those the run would write, by their key: image, transform, side, tile, error, colour
// correction and options (dct_scaling, levels, rule). A last line without its line feed is one
// a kill cut short: it is not kept.
class ResumeRows {
public:
    // A kept row is not the one the run writes at its place, or the file is not a row file.
    class Mismatch : public std::runtime_error {
    public:
        explicit Mismatch(const std::string& reason) : std::runtime_error(reason) {}
    };

    // The rows of the file at path; a missing file holds none. header: whether the run writes a
    // header line, which the file must then start with (unless it holds nothing). Throws
    // Mismatch for a file that cannot be read or a line that is not a row.
    static ResumeRows Read(const std::string& path, bool header);

    // Whether the header line must still be written: the file holds nothing complete.
    bool NeedsHeader() const { return needsHeader; }
    // The bytes of the file that stay: the header and the complete rows.
    std::uint64_t KeptBytes() const { return keptBytes; }
    std::size_t Count() const { return rows.size(); }

    // Matches the row the run writes next (its fields in the order of ResultRow::Columns(),
    // figures not needed) against the next kept row. Returns the kept row's fields, or null
    // when every kept row is matched; throws Mismatch naming the line when the keys differ.
    const std::vector<std::string>* Take(std::span<const std::string> expected);
    // Throws Mismatch when kept rows are left over after the run's last row.
    void CheckAllTaken() const;

private:
    struct Row {
        std::vector<std::string> Fields;
        std::size_t Line = 0;
    };

    std::string path;
    std::vector<Row> rows;
    std::size_t next = 0;
    std::uint64_t keptBytes = 0;
    bool needsHeader = false;
};
