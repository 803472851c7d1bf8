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
class ImageFiles;
class ResumeRows;
struct InputImage;
struct SweepPoint;

// The work of one batch command: for every image, transform, tile count and error of the
// options, in that order, one conversion through the sweep and one row. Each row is written
// whole and flushed as soon as it and every row before it are known. Messages go to messages
// (standard error), one line each: an input that fails, a tile count skipped, a result image
// that cannot be written. With progress on, a status line there is rewritten after every
// conversion.
class BatchRun {
public:
    // files reads the images and writes the results; tileRows and bdRows take the rows of
    // --tile-rows and --bd-output when asked for; resume holds the rows of --resume, whose
    // conversions are skipped (rows then opens its file in Append mode at resume's KeptBytes).
    BatchRun(const BatchOptions& options, const ImageFiles& files, CsvWriter& rows,
             std::FILE* messages, bool progress, CsvWriter* tileRows = nullptr,
             CsvWriter* bdRows = nullptr, ResumeRows* resume = nullptr);

    // Writes the rows and closes them. Returns the exit status: 0 when every input was
    // converted, 1 when some input failed, the rows could not be written or a resumed row is not
    // the one the run writes at its place (both stop the run at once; a resumed file is then
    // left as it was).
    int Run();

    // The name of a result image and the side that covers an image, as ResultNames.h makes
    // them (shared with the window's Save all and Fit side).
    static std::string ResultFileName(std::string_view image, TransformKind kind,
                                      std::int32_t tileCount, double percent,
                                      const TransformOptions& options = {},
                                      ImageFormat format = ImageFormat::Bmp);
    static std::string ResultFileName(std::string_view image, std::string_view transform,
                                      std::int32_t tileCount, double percent,
                                      const TransformOptions& options = {},
                                      ImageFormat format = ImageFormat::Bmp);
    static std::int32_t CoveringSide(std::int32_t side);

private:
    // Converts one image; false when it failed in any way.
    bool ConvertOne(const InputImage& input);
    // With --best-per-tile: the six kinds one tile count at a time, each count's best per tile
    // composed from them. The first block's rows are written as each count is done, the others'
    // held until the image is done, then written in order.
    bool ConvertWithBest(const InputImage& input, const BmpImage& image, SweepSettings settings,
                         const std::vector<std::int32_t>& tileCounts);
    // The row a conversion of settings will write, its figures left empty: what --resume
    // matches kept rows against.
    static std::vector<std::string> ExpectedRow(const std::string& path, const BmpImage& image,
                                                std::string_view transform,
                                                const SweepSettings& settings, double percent);
    // The next kept row of --resume when it is that conversion's, else null.
    const std::vector<std::string>* TakeKept(const std::string& path, const BmpImage& image,
                                             std::string_view transform,
                                             const SweepSettings& settings, double percent);
    void WriteRow(const std::vector<std::string>& fields);
    // The image with its converted square replaced, written to the images folder under the
    // name of transform (a caption without spaces, or "BestPerTile").
    bool WriteResult(const InputImage& input, const BmpImage& image, const ConversionResult& result,
                     std::string_view transform);
    void Message(const std::string& text);
    // Per tile count, each curve's name and points so far, in the order of the rows.
    using Curves = std::vector<std::vector<std::pair<std::string, std::vector<RdPoint>>>>;
    // The BD rows of one image, written at once.
    void WriteBd(const std::string& path, std::int32_t side,
                 const std::vector<std::int32_t>& counts, const Curves& curves);
    void ShowProgress(const std::string& path, const SweepPoint& point);

    const BatchOptions& options;
    const ImageFiles& files;
    CsvWriter& rows;
    ResumeRows* resume;
    CsvWriter* tileRows;
    CsvWriter* bdRows;
    std::FILE* messages;
    bool progress;
    std::size_t imageNumber = 0;
    std::size_t imageCount = 0;
    std::size_t pointsDone = 0;
    std::size_t pointsOfImage = 0;
};
