#pragma once

#include "BatchOptions.h"
#include "BmpImage.h"
#include "ConversionResult.h"
#include "RdPoints.h"
#include "SweepSettings.h"
#include "TransformKind.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CsvWriter;
struct SweepPoint;

// The work of one batch command: for every image, transform, tile count and error of the
// options, in that order, one conversion through the sweep and one row. Messages go to
// messages (standard error), one line each: an input that fails, a tile count skipped, a
// result bitmap that cannot be written. With progress on, a status line there is rewritten
// after every conversion.
class BatchRun {
public:
    // tileRows and bdRows take the rows of --tile-rows and --bd-output when asked for.
    BatchRun(const BatchOptions& options, CsvWriter& rows, std::FILE* messages, bool progress,
             CsvWriter* tileRows = nullptr, CsvWriter* bdRows = nullptr);

    // Writes the rows and closes them. Returns the exit status: 0 when every input was
    // converted, 1 when some input failed or the rows could not be written (which stops the
    // run at once).
    int Run();

    // The name of a result bitmap, e.g. "chelsea_256x256_DCT1D_8tiles_5pct.bmp" for
    // "photos/chelsea_256x256.bmp"; options other than the defaults follow the percent
    // ("..._5pct_orthonormal_all_kept.bmp").
    static std::string ResultFileName(std::string_view image, TransformKind kind,
                                      std::int32_t tileCount, double percent,
                                      const TransformOptions& options = {});
    // The same with the part that names the transform given: "BestPerTile".
    static std::string ResultFileName(std::string_view image, std::string_view transform,
                                      std::int32_t tileCount, double percent,
                                      const TransformOptions& options = {});

    // The smallest power of two at least side (and at least 1).
    static std::int32_t CoveringSide(std::int32_t side);

private:
    // Converts one image; false when it failed in any way.
    bool ConvertOne(const std::string& path);
    // With --best-per-tile: the six kinds one tile count at a time, each count's best per tile
    // composed from them, and the rows held until the image is done, then written in order.
    bool ConvertWithBest(const std::string& path, const BmpImage& image, SweepSettings settings,
                         const std::vector<std::int32_t>& tileCounts);
    // The image with its converted square replaced, written to the images folder under the
    // name of transform (a caption without spaces, or "BestPerTile").
    bool WriteResult(const std::string& path, const BmpImage& image, const ConversionResult& result,
                     std::string_view transform);
    void Message(const std::string& text);
    // Per tile count, each curve's name and points so far, in the order of the rows.
    using Curves = std::vector<std::vector<std::pair<std::string, std::vector<RdPoint>>>>;
    // The BD rows of one image, written at once.
    void WriteBd(const std::string& path, std::int32_t side,
                 const std::vector<std::int32_t>& counts, const Curves& curves);
    void ShowProgress(const std::string& path, const SweepPoint& point);

    const BatchOptions& options;
    CsvWriter& rows;
    CsvWriter* tileRows;
    CsvWriter* bdRows;
    std::FILE* messages;
    bool progress;
    std::size_t imageNumber = 0;
    std::size_t imageCount = 0;
    std::size_t pointsDone = 0;
    std::size_t pointsOfImage = 0;
};
