#pragma once

#include "RowSet.h"

#include <span>
#include <string>
#include <string_view>

// Reads tarvish-batch's row files (conversion/ResultRow.h) into a RowSet. A file may start with
// the header line, which is skipped; without it the columns are in the standard order. Files
// written before the options existed have the first 17 columns only: their rows have the
// default options (plain, page, error). Every row of a file has as many fields as its first.
//
// Each row is checked: width, height, side and tile whole numbers from 1, side a multiple of
// tile; the transform a page caption or "Best per tile"; error_percent and kept_percent finite,
// from 0 to 100; color_correction yes or no; max_error a whole number; the other figures
// numbers or empty (not defined), psnr_db also "inf"; the options as tarvish-batch spells them.
class RowReader {
public:
    // The rows of text, which messages call name. Throws RowFileError naming name and the line
    // of the first malformed row or repeated conversion (RowSet::Add).
    static void Append(RowSet& set, std::string_view text, const std::string& name);
    // The same for the file at path; "-" is standard input. Also throws RowFileError when the
    // file cannot be read.
    static void AppendFile(RowSet& set, const std::string& path);
    // Every file, in the order given.
    static RowSet ReadFiles(std::span<const std::string> paths);
};
