#include "BatchRun.h"

#include "AvailableMemory.h"
#include "BdRows.h"
#include "BestPerTile.h"
#include "CsvWriter.h"
#include "ImageFiles.h"
#include "InputImage.h"
#include "OutputError.h"
#include "ParallelFor.h"
#include "ResultNames.h"
#include "ResultRow.h"
#include "ResumeRows.h"
#include "Sweep.h"
#include "TileRows.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <new>
#include <stdexcept>

namespace {

// A byte count with its size in mebibytes, e.g. "3145728 bytes (3.0 MiB)".
std::string Bytes(std::uint64_t bytes) {
    char mebibytes[32];
    std::snprintf(mebibytes, sizeof mebibytes, "%.1f", static_cast<double>(bytes) / 1048576.0);
    return std::to_string(bytes) + " bytes (" + mebibytes + " MiB)";
}

std::string WithoutSpaces(std::string_view text) {
    std::string kept;
    std::copy_if(text.begin(), text.end(), std::back_inserter(kept),
                 [](char c) { return c != ' '; });
    return kept;
}

// A figure of a kept row, as ResultRow::Number wrote it.
double Figure(const std::string& text) {
    if (text == "inf" || text == "-inf") {
        return text[0] == '-' ? -HUGE_VAL : HUGE_VAL;
    }
    double value = std::nan("");
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// The curve point of a kept row: its kept_percent and psnr_db.
RdPoint PointOfRow(const std::vector<std::string>& fields) {
    return {Figure(fields[11]), Figure(fields[13])};
}

} // namespace

BatchRun::BatchRun(const BatchOptions& options, const ImageFiles& files, CsvWriter& rows,
                   std::FILE* messages, bool progress, CsvWriter* tileRows, CsvWriter* bdRows,
                   ResumeRows* resume)
    : options(options), files(files), rows(rows), resume(resume), tileRows(tileRows),
      bdRows(bdRows), messages(messages), progress(progress) {
    if (messages == nullptr) {
        throw std::invalid_argument("BatchRun: no stream for messages");
    }
}

int BatchRun::Run() {
    bool failed = false;
    try {
        if (options.Header) {
            const auto header = [](CsvWriter& writer, const auto& columns) {
                writer.WriteRow(std::vector<std::string>(columns.begin(), columns.end()));
                writer.Flush();
            };
            if (!resume || resume->NeedsHeader()) {
                header(rows, ResultRow::Columns());
            }
            if (tileRows) {
                header(*tileRows, TileRows::Columns());
            }
            if (bdRows) {
                header(*bdRows, BdRows::Columns());
            }
        }
        const std::vector<InputImage> all = ListInputImages(options.Inputs, options.Recursive);
        // Shard K of N holds images floor((K - 1) M / N) to floor(K M / N) - 1 of M.
        const std::size_t count = all.size();
        const std::vector<InputImage> inputs(
            all.begin() +
                static_cast<std::ptrdiff_t>((options.ShardIndex - 1) * count / options.ShardCount),
            all.begin() +
                static_cast<std::ptrdiff_t>(options.ShardIndex * count / options.ShardCount));
        imageCount = inputs.size();
        for (const InputImage& input : inputs) {
            ++imageNumber;
            if (!input.Problem.empty()) {
                Message(input.Problem);
                failed = true;
                continue;
            }
            failed = !ConvertOne(input) || failed;
        }
        if (progress) {
            std::fputs("\r\033[K", messages);
        }
        if (resume) {
            resume->CheckAllTaken();
        }
        rows.Close();
        for (CsvWriter* writer : {tileRows, bdRows}) {
            if (writer) {
                writer->Close();
            }
        }
    } catch (const OutputError& error) {
        Message(error.what());
        return 1;
    } catch (const ResumeRows::Mismatch& error) {
        Message("--resume: " + std::string(error.what()) + "; nothing written");
        return 1;
    }
    return failed ? 1 : 0;
}

std::vector<std::string> BatchRun::ExpectedRow(const std::string& path, const BmpImage& image,
                                               std::string_view transform,
                                               const SweepSettings& settings, double percent) {
    ConversionResult result;
    result.Settings.Side = settings.Side;
    result.Settings.TileCount = settings.TileCount;
    result.Settings.SetErrorPercent(percent);
    result.Settings.ColorCorrection = settings.ColorCorrection;
    result.Settings.Options = settings.Options;
    return ResultRow::Fields(path, image.Width, image.Height, transform, result);
}

const std::vector<std::string>* BatchRun::TakeKept(const std::string& path, const BmpImage& image,
                                                   std::string_view transform,
                                                   const SweepSettings& settings, double percent) {
    if (!resume || resume->Count() == 0) {
        return nullptr;
    }
    return resume->Take(ExpectedRow(path, image, transform, settings, percent));
}

void BatchRun::WriteRow(const std::vector<std::string>& fields) {
    rows.WriteRow(fields);
    // Whole rows reach the file one by one: a kill loses no finished row.
    rows.Flush();
}

bool BatchRun::ConvertOne(const InputImage& input) {
    const std::string& path = input.Path;
    BmpImage image;
    try {
        image = files.Load(path);
    } catch (const std::runtime_error& error) {
        Message("cannot load " + path + ": " + error.what());
        return false;
    } catch (const std::bad_alloc&) {
        Message("cannot load " + path + ": out of memory");
        return false;
    }

    const std::int32_t side =
        options.Side.value_or(CoveringSide(std::max(image.Width, image.Height)));
    std::vector<std::int32_t> tileCounts;
    for (std::int32_t count : options.TileCounts) {
        if (side / count == 0) {
            Message(path + ": " + std::to_string(count) + " tiles per side do not fit a side of " +
                    std::to_string(side) + "; skipped");
        } else {
            tileCounts.push_back(count);
        }
    }

    SweepSettings settings;
    settings.Side = side;
    settings.ErrorPercents = options.ErrorPercents;
    settings.ColorCorrection = options.ColorCorrection;
    settings.Options = options.Options;
    settings.KeepPixels = options.ImagesFolder.has_value();
    std::uint64_t needed = 0;
    for (std::int32_t count : tileCounts) {
        settings.TileCount = count;
        needed = std::max(needed, Sweep::BytesNeeded(settings, options.Jobs));
    }
    if (options.ImagesFolder) {
        // The whole image with its square replaced, for each bitmap written.
        needed += static_cast<std::uint64_t>(image.Pixels.size()) * sizeof(std::uint32_t);
    }
    if (options.BestPerTile) {
        // One tile count's six kinds at every error, with their pixels and error maps, and the
        // composed result.
        const auto region = static_cast<std::uint64_t>(std::min(image.Width, side)) *
                            static_cast<std::uint64_t>(std::min(image.Height, side));
        needed += (TransformKindCount * options.ErrorPercents.size() + 1) * region *
                  (sizeof(std::uint32_t) + 1);
    }
    const std::uint64_t available = AvailableMemoryBytes();
    if (needed > available) {
        Message(path + ": needs " + Bytes(needed) + " of memory, but only " + Bytes(available) +
                " are available; skipped");
        return false;
    }

    bool succeeded = true;
    pointsDone = 0;
    pointsOfImage = (options.Kinds.size() + (options.BestPerTile ? 1 : 0)) * tileCounts.size() *
                    options.ErrorPercents.size();
    if (options.BestPerTile) {
        try {
            return ConvertWithBest(input, image, settings, tileCounts);
        } catch (const std::bad_alloc&) {
            Message(path + ": out of memory");
            return false;
        }
    }
    const RgbView view{image.Pixels.data(), image.Width, image.Height, image.Width};
    Curves curves(tileCounts.size());
    const std::vector<double> errors = options.ErrorPercents;
    try {
        for (TransformKind kind : options.Kinds) {
            const std::string_view caption = Describe(kind).Caption;
            for (std::size_t c = 0; c < tileCounts.size(); ++c) {
                settings.Kinds = {kind};
                settings.TileCount = tileCounts[c];
                curves[c].emplace_back(std::string(caption), std::vector<RdPoint>{});
                // Kept rows come first, so the errors still to convert are the last ones.
                settings.ErrorPercents.clear();
                for (double percent : errors) {
                    const auto* kept = settings.ErrorPercents.empty()
                                           ? TakeKept(path, image, caption, settings, percent)
                                           : nullptr;
                    if (kept) {
                        curves[c].back().second.push_back(PointOfRow(*kept));
                        ++pointsDone;
                    } else {
                        settings.ErrorPercents.push_back(percent);
                    }
                }
                if (settings.ErrorPercents.empty()) {
                    continue;
                }
                Sweep(settings).Run(
                    view, options.Jobs, [&](SweepPoint&& point, std::size_t, std::size_t) {
                        WriteRow(ResultRow::Fields(path, image.Width, image.Height, point));
                        curves[c].back().second.push_back(
                            {point.Result.MeanKeptPercent, point.Result.Quality.PsnrDb});
                        if (tileRows) {
                            std::vector<std::vector<std::string>> tiles;
                            TileRows::Append(tiles, path, caption, point.Result);
                            for (const auto& row : tiles) {
                                tileRows->WriteRow(row);
                            }
                        }
                        if (options.ImagesFolder) {
                            succeeded =
                                WriteResult(input, image, point.Result, WithoutSpaces(caption)) &&
                                succeeded;
                        }
                        ShowProgress(path, point);
                    });
            }
        }
        WriteBd(path, side, tileCounts, curves);
    } catch (const std::bad_alloc&) {
        Message(path + ": out of memory");
        return false;
    }
    return succeeded;
}

void BatchRun::WriteBd(const std::string& path, std::int32_t side,
                       const std::vector<std::int32_t>& counts, const Curves& curves) {
    if (tileRows) {
        tileRows->Flush();
    }
    if (!bdRows) {
        return;
    }
    std::vector<std::vector<std::string>> bd;
    for (std::size_t c = 0; c < counts.size(); ++c) {
        BdRows::Append(bd, path, side, counts[c], options.ColorCorrection, *options.BdReference,
                       curves[c], options.Method, options.Options);
    }
    for (const auto& row : bd) {
        bdRows->WriteRow(row);
    }
    bdRows->Flush();
}

bool BatchRun::ConvertWithBest(const InputImage& input, const BmpImage& image,
                               SweepSettings settings,
                               const std::vector<std::int32_t>& tileCounts) {
    const std::string& path = input.Path;
    const RgbView view{image.Pixels.data(), image.Width, image.Height, image.Width};
    const std::size_t counts = tileCounts.size();
    // The rows come in blocks: the kinds as given, then the best per tile.
    const std::size_t blocks = options.Kinds.size() + 1;
    const auto blockName = [&](std::size_t block) -> std::string {
        return block + 1 < blocks ? std::string(Describe(options.Kinds[block]).Caption)
                                  : "Best per tile";
    };
    // With --resume, the image's rows already kept, in the order of the rows; when they are all
    // there, the image's curves come from them and nothing is converted.
    std::vector<RdPoint> keptPoints;
    if (resume) {
        bool more = true;
        for (std::size_t block = 0; block < blocks && more; ++block) {
            for (std::size_t c = 0; c < counts && more; ++c) {
                settings.TileCount = tileCounts[c];
                for (double percent : settings.ErrorPercents) {
                    const auto* kept = TakeKept(path, image, blockName(block), settings, percent);
                    if (!kept) {
                        more = false;
                        break;
                    }
                    keptPoints.push_back(PointOfRow(*kept));
                }
            }
        }
    }
    const std::size_t errors = settings.ErrorPercents.size();
    if (keptPoints.size() == blocks * counts * errors) {
        Curves curves(counts);
        for (std::size_t block = 0; block < blocks; ++block) {
            for (std::size_t c = 0; c < counts; ++c) {
                const auto first =
                    keptPoints.begin() + static_cast<std::ptrdiff_t>((block * counts + c) * errors);
                curves[c].emplace_back(
                    blockName(block),
                    std::vector<RdPoint>(first, first + static_cast<std::ptrdiff_t>(errors)));
            }
        }
        pointsDone += keptPoints.size();
        WriteBd(path, settings.Side, tileCounts, curves);
        return true;
    }
    // Rows are numbered in their order; those below keptPoints.size() are in the file already.
    std::size_t rowNumber = 0;
    const auto emit = [&](const std::vector<std::string>& row) {
        if (rowNumber++ >= keptPoints.size()) {
            WriteRow(row);
        }
    };

    // held[block][count]: the rows of each block, kept until they are next in order.
    std::vector<std::vector<std::vector<std::vector<std::string>>>> held(
        blocks, std::vector<std::vector<std::vector<std::string>>>(counts));
    // The tile rows likewise, and each block's curve per count.
    std::vector<std::vector<std::vector<std::vector<std::string>>>> heldTiles(
        blocks, std::vector<std::vector<std::vector<std::string>>>(counts));
    Curves curves(counts);
    const auto threads =
        static_cast<std::int32_t>(options.Jobs == 0 ? HardwareThreads() : options.Jobs);
    bool succeeded = true;
    settings.KeepPixels = true;
    for (std::size_t c = 0; c < counts; ++c) {
        settings.TileCount = tileCounts[c];
        // Per kind in page order, its point at every error.
        std::vector<std::vector<SweepPoint>> byKind(TransformKindCount);
        for (std::size_t k = 0; k < options.Kinds.size(); ++k) {
            const TransformKind kind = options.Kinds[k];
            settings.Kinds = {kind};
            byKind[static_cast<std::size_t>(kind)] = Sweep(settings).Run(view, options.Jobs);
            curves[c].emplace_back(std::string(Describe(kind).Caption), std::vector<RdPoint>{});
            for (const SweepPoint& point : byKind[static_cast<std::size_t>(kind)]) {
                held[k][c].push_back(ResultRow::Fields(path, image.Width, image.Height, point));
                curves[c].back().second.push_back(
                    {point.Result.MeanKeptPercent, point.Result.Quality.PsnrDb});
                if (options.ImagesFolder) {
                    succeeded = WriteResult(input, image, point.Result,
                                            WithoutSpaces(Describe(kind).Caption)) &&
                                succeeded;
                }
                ShowProgress(path, point);
            }
        }
        // The first block's rows of this count follow those of the counts before.
        for (const auto& row : held[0][c]) {
            emit(row);
        }
        held[0][c].clear();
        curves[c].emplace_back("Best per tile", std::vector<RdPoint>{});
        for (std::size_t e = 0; e < errors; ++e) {
            std::vector<ConversionResult> six;
            for (auto& points : byKind) {
                six.push_back(std::move(points[e].Result));
            }
            const std::vector<std::size_t> winners = TileWinners(six);
            if (tileRows) {
                // The kinds' tile rows of this error, in the order the kinds were given.
                for (std::size_t k = 0; k < options.Kinds.size(); ++k) {
                    const auto kind = static_cast<std::size_t>(options.Kinds[k]);
                    std::vector<bool> won(winners.size());
                    for (std::size_t t = 0; t < winners.size(); ++t) {
                        won[t] = winners[t] == kind;
                    }
                    TileRows::Append(heldTiles[k][c], path, Describe(options.Kinds[k]).Caption,
                                     six[kind], &won);
                }
            }
            const ConversionResult best = ComposeBestPerTile(six, winners, view, threads);
            curves[c].back().second.push_back({best.MeanKeptPercent, best.Quality.PsnrDb});
            held[blocks - 1][c].push_back(
                ResultRow::Fields(path, image.Width, image.Height, "Best per tile", best));
            if (options.ImagesFolder) {
                succeeded = WriteResult(input, image, best, "BestPerTile") && succeeded;
            }
            ++pointsDone;
        }
    }
    for (const auto& block : held) {
        for (const auto& count : block) {
            for (const auto& row : count) {
                emit(row);
            }
        }
    }
    if (tileRows) {
        for (const auto& block : heldTiles) {
            for (const auto& count : block) {
                for (const auto& row : count) {
                    tileRows->WriteRow(row);
                }
            }
        }
    }
    WriteBd(path, settings.Side, tileCounts, curves);
    return succeeded;
}

bool BatchRun::WriteResult(const InputImage& input, const BmpImage& image,
                           const ConversionResult& result, std::string_view transform) {
    BmpImage written = image;
    const auto width = static_cast<std::size_t>(image.Width);
    const auto regionWidth = static_cast<std::size_t>(result.RegionWidth);
    for (std::size_t y = 0; y < static_cast<std::size_t>(result.RegionHeight); ++y) {
        std::copy_n(result.Pixels.begin() + static_cast<std::ptrdiff_t>(y * regionWidth),
                    regionWidth, written.Pixels.begin() + static_cast<std::ptrdiff_t>(y * width));
    }
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(*options.ImagesFolder) / input.Subfolder;
    const std::string file =
        (folder / ResultFileName(input.Path, transform, result.Settings.TileCount,
                                 result.Settings.ErrorPercent, result.Settings.Options,
                                 options.ImagesFormat))
            .string();
    try {
        if (!input.Subfolder.empty()) {
            fs::create_directories(folder);
        }
        files.Save(written, file, options.ImagesFormat);
    } catch (const std::runtime_error& error) {
        Message("cannot write " + file + ": " + error.what());
        return false;
    }
    return true;
}

void BatchRun::Message(const std::string& text) {
    // Over the status line, which the next conversion writes again.
    std::fprintf(messages, "%starvish-batch: %s\n", progress ? "\r\033[K" : "", text.c_str());
    std::fflush(messages);
}

void BatchRun::ShowProgress(const std::string& path, const SweepPoint& point) {
    ++pointsDone;
    if (!progress) {
        return;
    }
    std::fprintf(messages, "\r[%zu/%zu] %s: %s, tile count %d, error %s %%: %zu/%zu\033[K",
                 imageNumber, imageCount, path.c_str(),
                 std::string(Describe(point.Kind).Caption).c_str(), point.Result.Settings.TileCount,
                 ResultRow::Number(point.ErrorPercent()).c_str(), pointsDone, pointsOfImage);
    std::fflush(messages);
}

std::string BatchRun::ResultFileName(std::string_view image, TransformKind kind,
                                     std::int32_t tileCount, double percent,
                                     const TransformOptions& options, ImageFormat format) {
    return ::ResultFileName(image, kind, tileCount, percent, options, format);
}

std::string BatchRun::ResultFileName(std::string_view image, std::string_view transform,
                                     std::int32_t tileCount, double percent,
                                     const TransformOptions& options, ImageFormat format) {
    return ::ResultFileName(image, transform, tileCount, percent, options, format);
}

std::int32_t BatchRun::CoveringSide(std::int32_t side) {
    return ::CoveringSide(side);
}
