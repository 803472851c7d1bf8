#pragma once

#include "BatchRow.h"

#include <cstddef>
#include <string>
#include <unordered_set>
#include <vector>

// The rows of one or more files, each conversion once. A conversion is an image, transform,
// tiles per side, error percent, colour correction and options; the side and the time do not
// count, so shards of one run can be given in any order but not twice.
class RowSet {
public:
    RowSet() = default;
    // The index refers to its own rows, so it is made anew for a copy or a move.
    RowSet(const RowSet& other);
    RowSet(RowSet&& other);
    RowSet& operator=(const RowSet& other);
    RowSet& operator=(RowSet&& other);
    ~RowSet() = default;

    // Names a new source of rows (a file name, "standard input") and returns its index.
    std::size_t AddSource(std::string name);
    // Throws RowFileError naming the row's place and the earlier one when its conversion is
    // already there; std::invalid_argument for an unknown source or tiles below 1.
    void Add(BatchRow row);
    // Room for more rows, so that adding them moves none.
    void Reserve(std::size_t more);

    const std::vector<BatchRow>& Rows() const { return rows; }
    const std::vector<std::string>& Sources() const { return sources; }
    // "file:line" of a row.
    std::string Where(const BatchRow& row) const;

private:
    // The conversion of rows[index], hashed and compared in place.
    struct ConversionHash {
        const std::vector<BatchRow>* Rows;
        std::size_t operator()(std::size_t index) const;
    };
    struct SameConversion {
        const std::vector<BatchRow>* Rows;
        bool operator()(std::size_t a, std::size_t b) const;
    };

    using Index = std::unordered_set<std::size_t, ConversionHash, SameConversion>;
    // Every row of rows in a new index.
    void Reindex();

    std::vector<std::string> sources;
    std::vector<BatchRow> rows;
    // Indices into rows, one per conversion.
    Index seen{0, ConversionHash{&rows}, SameConversion{&rows}};
};
