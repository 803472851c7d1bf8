#include "RowReader.h"

#include "CsvRecords.h"
#include "CurveKey.h"
#include "ResultRow.h"
#include "RowFileError.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <system_error>
#include <vector>

namespace {

constexpr std::size_t OldColumnCount = 17;
constexpr std::size_t ColumnCount = 20;

enum Column : std::size_t {
    Image,
    Width,
    Height,
    Transform,
    Side,
    Tile,
    ErrorPercent,
    ColorCorrection,
    KeptRed,
    KeptGreen,
    KeptBlue,
    Kept,
    Mse,
    Psnr,
    Ssim,
    MaxError,
    TimeMs,
    Scaling,
    Levels,
    Rule
};

bool IsHeader(const std::vector<std::string>& fields) {
    const auto& columns = ResultRow::Columns();
    return (fields.size() == OldColumnCount || fields.size() == ColumnCount) &&
           std::equal(fields.begin(), fields.end(), columns.begin());
}

// The fields of one row, read column by column; a bad one throws naming the row's place.
class RowFields {
public:
    RowFields(const std::vector<std::string>& fields, const std::string& name, std::size_t line)
        : fields(fields), name(name), line(line) {}

    const std::string& Text(Column column) const { return fields[column]; }

    std::int32_t Whole(Column column, std::int32_t least) const {
        const std::string& text = fields[column];
        std::int32_t value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size() || text.empty() ||
            value < least) {
            Fail(column, "is not a whole number from " + std::to_string(least));
        }
        return value;
    }

    // NaN for an empty field; from_chars would also take "nan", which the rows never write.
    double Real(Column column) const {
        const std::string& text = fields[column];
        if (text.empty()) {
            return std::nan("");
        }
        double value = 0.0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size() || std::isnan(value)) {
            Fail(column, "is not a number");
        }
        return value;
    }

    double Finite(Column column) const {
        const double value = Real(column);
        if (!std::isfinite(value) && !fields[column].empty()) {
            Fail(column, "is not a finite number");
        }
        return value;
    }

    double Percent(Column column) const {
        const double value = Real(column);
        if (!(value >= 0.0 && value <= 100.0)) {
            Fail(column, "is not a percentage from 0 to 100");
        }
        return value;
    }

    template <typename Value>
    Value Choice(Column column, std::optional<Value> (*parse)(std::string_view),
                 const char* choices) const {
        const std::optional<Value> value = parse(fields[column]);
        if (!value) {
            Fail(column, std::string("is not one of ") + choices);
        }
        return *value;
    }

    [[noreturn]] void Fail(Column column, const std::string& reason) const {
        throw RowFileError(name + ":" + std::to_string(line) + ": " +
                           std::string(ResultRow::Columns()[column]) + ": \"" + fields[column] +
                           "\" " + reason);
    }

private:
    const std::vector<std::string>& fields;
    const std::string& name;
    std::size_t line;
};

std::optional<bool> ParseYesNo(std::string_view text) {
    if (text == "yes") {
        return true;
    }
    if (text == "no") {
        return false;
    }
    return std::nullopt;
}

BatchRow ParseRow(const std::vector<std::string>& fields, const std::string& name,
                  std::size_t line) {
    const RowFields f(fields, name, line);
    BatchRow row;
    row.Image = f.Text(Image);
    if (row.Image.empty()) {
        f.Fail(Image, "is empty");
    }
    row.Width = f.Whole(Width, 1);
    row.Height = f.Whole(Height, 1);
    row.Transform = f.Text(Transform);
    if (!CurveKey::TransformRank(row.Transform)) {
        f.Fail(Transform, "is not a page caption or Best per tile");
    }
    row.Side = f.Whole(Side, 1);
    row.Tile = f.Whole(Tile, 1);
    if (row.Side % row.Tile != 0) {
        f.Fail(Tile, "does not divide the side " + std::to_string(row.Side));
    }
    row.Tiles = row.Side / row.Tile;
    row.ErrorPercent = f.Percent(ErrorPercent);
    row.ColorCorrection = f.Choice(ColorCorrection, &ParseYesNo, "yes and no");
    // Not summarised, but a row whose figures do not read is no row of tarvish-batch.
    for (Column figure : {KeptRed, KeptGreen, KeptBlue, Mse, TimeMs}) {
        f.Finite(figure);
    }
    row.KeptPercent = f.Percent(Kept);
    row.PsnrDb = f.Real(Psnr);
    if (row.PsnrDb == -HUGE_VAL) {
        f.Fail(Psnr, "is not a PSNR");
    }
    row.Ssim = f.Finite(Ssim);
    f.Whole(MaxError, 0);
    if (fields.size() == ColumnCount) {
        row.Options.Scaling = f.Choice(Scaling, &ParseScaling, "plain and orthonormal");
        row.Options.Levels = f.Choice(Levels, &ParseLevels, "page, all and 1 to 12");
        row.Options.Rule = f.Choice(Rule, &ParseRule, "error and kept");
    }
    return row;
}

} // namespace

void RowReader::Append(RowSet& set, std::string_view text, const std::string& name) {
    const std::size_t source = set.AddSource(name);
    // A line per row, as near as makes no odds: reserving spares moving them all as they come.
    set.Reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
    CsvRecords records(text, name);
    std::vector<std::string> fields;
    std::size_t columns = 0;
    bool first = true;
    while (records.Next(fields)) {
        if (first) {
            first = false;
            if (IsHeader(fields)) {
                columns = fields.size();
                continue;
            }
        }
        const auto where = [&] { return name + ":" + std::to_string(records.Line()); };
        if (columns == 0 && fields.size() != OldColumnCount && fields.size() != ColumnCount) {
            throw RowFileError(where() + ": " + std::to_string(fields.size()) +
                               " fields where a row has 17 or 20");
        }
        if (columns != 0 && fields.size() != columns) {
            throw RowFileError(where() + ": " + std::to_string(fields.size()) + " fields where " +
                               "the file's first line has " + std::to_string(columns));
        }
        columns = fields.size();
        BatchRow row = ParseRow(fields, name, records.Line());
        row.Source = source;
        row.Line = records.Line();
        set.Add(std::move(row));
    }
}

void RowReader::AppendFile(RowSet& set, const std::string& path) {
    const bool standardInput = path == "-";
    const std::string name = standardInput ? "standard input" : path;
    std::FILE* file = standardInput ? stdin : std::fopen(path.c_str(), "rb");
    const auto fail = [&](int code) {
        throw RowFileError("cannot read " + name + ": " + std::generic_category().message(code));
    };
    if (file == nullptr) {
        fail(errno);
    }
    std::string text;
    // The size, where the file has one, so that the text grows once.
    if (!standardInput && std::fseek(file, 0, SEEK_END) == 0) {
        const long size = std::ftell(file);
        if (size > 0) {
            text.reserve(static_cast<std::size_t>(size));
        }
        std::rewind(file);
    }
    char buffer[1 << 16];
    errno = 0;
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, got);
    }
    const int code = errno != 0 ? errno : EIO;
    const bool failed = std::ferror(file) != 0;
    if (!standardInput) {
        std::fclose(file);
    }
    if (failed) {
        fail(code);
    }
    Append(set, text, name);
}

RowSet RowReader::ReadFiles(std::span<const std::string> paths) {
    RowSet set;
    for (const std::string& path : paths) {
        AppendFile(set, path);
    }
    return set;
}
