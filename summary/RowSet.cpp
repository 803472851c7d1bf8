#include "RowSet.h"

#include "ResultRow.h"
#include "RowFileError.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace {

// -0 and 0 are one error.
std::uint64_t ErrorBits(double errorPercent) {
    return std::bit_cast<std::uint64_t>(errorPercent + 0.0);
}

std::size_t Mixed(std::size_t hash, std::size_t value) {
    // boost::hash_combine's step.
    return hash ^ (value + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2));
}

} // namespace

std::size_t RowSet::ConversionHash::operator()(std::size_t index) const {
    const BatchRow& row = (*Rows)[index];
    std::size_t h = std::hash<std::string_view>()(row.Image);
    h = Mixed(h, std::hash<std::string_view>()(row.Transform));
    h = Mixed(h, static_cast<std::size_t>(row.Tiles));
    h = Mixed(h, ErrorBits(row.ErrorPercent));
    h = Mixed(h, row.ColorCorrection ? 1 : 0);
    h = Mixed(h, static_cast<std::size_t>(row.Options.Scaling));
    h = Mixed(h, static_cast<std::size_t>(row.Options.Levels));
    return Mixed(h, static_cast<std::size_t>(row.Options.Rule));
}

bool RowSet::SameConversion::operator()(std::size_t a, std::size_t b) const {
    const BatchRow& x = (*Rows)[a];
    const BatchRow& y = (*Rows)[b];
    return x.Tiles == y.Tiles && ErrorBits(x.ErrorPercent) == ErrorBits(y.ErrorPercent) &&
           x.ColorCorrection == y.ColorCorrection && x.Options == y.Options && x.Image == y.Image &&
           x.Transform == y.Transform;
}

RowSet::RowSet(const RowSet& other) : sources(other.sources), rows(other.rows) {
    Reindex();
}

RowSet::RowSet(RowSet&& other) : sources(std::move(other.sources)), rows(std::move(other.rows)) {
    Reindex();
    other.Reindex();
}

RowSet& RowSet::operator=(const RowSet& other) {
    if (this != &other) {
        sources = other.sources;
        rows = other.rows;
        Reindex();
    }
    return *this;
}

RowSet& RowSet::operator=(RowSet&& other) {
    if (this != &other) {
        sources = std::move(other.sources);
        rows = std::move(other.rows);
        Reindex();
        other.Reindex();
    }
    return *this;
}

void RowSet::Reindex() {
    seen = Index(rows.size(), ConversionHash{&rows}, SameConversion{&rows});
    for (std::size_t i = 0; i < rows.size(); ++i) {
        seen.insert(i);
    }
}

std::size_t RowSet::AddSource(std::string name) {
    sources.push_back(std::move(name));
    return sources.size() - 1;
}

void RowSet::Add(BatchRow row) {
    if (row.Source >= sources.size()) {
        throw std::invalid_argument("RowSet: no source " + std::to_string(row.Source));
    }
    if (row.Tiles < 1) {
        throw std::invalid_argument("RowSet: tiles " + std::to_string(row.Tiles) + " below 1");
    }
    // In place first, so that the set compares it where it lies; taken back when a repeat.
    rows.push_back(std::move(row));
    const auto [at, added] = seen.insert(rows.size() - 1);
    if (added) {
        return;
    }
    const BatchRow repeat = std::move(rows.back());
    rows.pop_back();
    const BatchRow& first = rows[*at];
    throw RowFileError(Where(repeat) + ": " + repeat.Image + " is converted twice (" +
                       repeat.Transform + ", " + std::to_string(repeat.Tiles) +
                       " tiles per side, error " + ResultRow::Number(repeat.ErrorPercent) +
                       " %, colour correction " + (repeat.ColorCorrection ? "yes" : "no") + ", " +
                       ScalingName(repeat.Options.Scaling) + ", " +
                       LevelsName(repeat.Options.Levels) + ", " + RuleName(repeat.Options.Rule) +
                       "); first at " + Where(first));
}

void RowSet::Reserve(std::size_t more) {
    // At least doubling, so that many small files do not move every row each.
    const std::size_t wanted = rows.size() + more;
    if (wanted > rows.capacity()) {
        const std::size_t room = std::max(wanted, 2 * rows.capacity());
        rows.reserve(room);
        seen.reserve(room);
    }
}

std::string RowSet::Where(const BatchRow& row) const {
    const std::string& source = row.Source < sources.size() ? sources[row.Source] : "?";
    return source + ":" + std::to_string(row.Line);
}
