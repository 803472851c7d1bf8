#include "CommandLine.h"

#include "BmpReader.h"
#include "UsageError.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <string>
#include <tuple>
#include <utility>

namespace {

constexpr std::int32_t MaxTileCount = 32;
constexpr std::size_t MaxJobs = 4096;

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

bool IsPowerOfTwo(std::int64_t value) {
    return value > 0 && (value & (value - 1)) == 0;
}

template <typename Number>
bool ParseWhole(std::string_view text, Number& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::vector<std::string_view> Items(std::string_view option, std::string_view list) {
    std::vector<std::string_view> items;
    std::string_view rest = list;
    for (;;) {
        const std::size_t comma = rest.find(',');
        const std::string_view item = rest.substr(0, comma);
        if (item.empty()) {
            throw UsageError(std::string(option) + ": empty item in " + Quoted(list));
        }
        items.push_back(item);
        if (comma == std::string_view::npos) {
            return items;
        }
        rest.remove_prefix(comma + 1);
    }
}

template <typename Value>
void RefuseRepeats(std::string_view option, const std::vector<Value>& values,
                   const std::vector<std::string_view>& items) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (values[i] == values[j]) {
                throw UsageError(std::string(option) + ": " + std::string(items[i]) +
                                 " is given twice");
            }
        }
    }
}

std::vector<TransformKind> ParseKinds(std::string_view option, std::string_view list) {
    std::vector<TransformKind> kinds;
    if (list == "all") {
        for (const auto& info : TransformKinds()) {
            kinds.push_back(info.Kind);
        }
        return kinds;
    }
    const std::vector<std::string_view> items = Items(option, list);
    for (std::string_view item : items) {
        const auto& all = TransformKinds();
        const auto found = std::find_if(all.begin(), all.end(), [&](const TransformKindInfo& info) {
            return FoldedCaption(info.Caption) == FoldedCaption(item);
        });
        if (found == all.end()) {
            std::string names;
            for (const auto& info : all) {
                names += (names.empty() ? "" : ", ") + std::string(info.Caption);
            }
            throw UsageError(std::string(option) + ": " + Quoted(item) + " is not one of " + names +
                             " or all");
        }
        kinds.push_back(found->Kind);
    }
    RefuseRepeats(option, kinds, items);
    return kinds;
}

// A BD reference: a page caption as --transforms takes it, or "Best per tile"; spelt as the
// rows spell the transform.
std::string ParseReference(std::string_view option, std::string_view text) {
    if (FoldedCaption(text) == FoldedCaption("Best per tile")) {
        return "Best per tile";
    }
    for (const auto& info : TransformKinds()) {
        if (FoldedCaption(info.Caption) == FoldedCaption(text)) {
            return std::string(info.Caption);
        }
    }
    throw UsageError(std::string(option) + ": " + Quoted(text) +
                     " is not a page caption or Best per tile");
}

std::string FileName(std::string_view option, std::string_view file) {
    if (file.empty()) {
        throw UsageError(std::string(option) + ": the file name is empty");
    }
    return std::string(file);
}

std::vector<std::int32_t> ParseTileCounts(std::string_view option, std::string_view list) {
    std::vector<std::int32_t> counts;
    const std::vector<std::string_view> items = Items(option, list);
    for (std::string_view item : items) {
        std::int32_t count = 0;
        if (!ParseWhole(item, count) || !IsPowerOfTwo(count) || count > MaxTileCount) {
            throw UsageError(std::string(option) + ": " + std::string(item) +
                             " is not a power of two from 1 to " + std::to_string(MaxTileCount));
        }
        counts.push_back(count);
    }
    RefuseRepeats(option, counts, items);
    return counts;
}

std::vector<double> ParsePercents(std::string_view option, std::string_view list) {
    std::vector<double> percents;
    const std::vector<std::string_view> items = Items(option, list);
    for (std::string_view item : items) {
        double percent = 0.0;
        if (!ParseWhole(item, percent) || !std::isfinite(percent) || percent < 0.0 ||
            percent > 100.0) {
            throw UsageError(std::string(option) + ": " + std::string(item) +
                             " is not a percentage from 0 to 100");
        }
        percents.push_back(percent);
    }
    RefuseRepeats(option, percents, items);
    return percents;
}

template <typename Value>
Value ParseChoice(std::string_view option, std::string_view text,
                  std::optional<Value> (*parse)(std::string_view), const char* choices) {
    const std::optional<Value> value = parse(text);
    if (!value) {
        throw UsageError(std::string(option) + ": " + Quoted(text) + " is not one of " + choices);
    }
    return *value;
}

std::int32_t ParseSide(std::string_view option, std::string_view text) {
    std::int32_t side = 0;
    if (!ParseWhole(text, side) || !IsPowerOfTwo(side) || side > BmpMaxSide) {
        throw UsageError(std::string(option) + ": " + std::string(text) +
                         " is not a power of two from 1 to " + std::to_string(BmpMaxSide));
    }
    return side;
}

std::size_t ParseJobs(std::string_view option, std::string_view text) {
    std::size_t jobs = 0;
    if (!ParseWhole(text, jobs) || jobs < 1 || jobs > MaxJobs) {
        throw UsageError(std::string(option) + ": " + std::string(text) +
                         " is not a number of threads from 1 to " + std::to_string(MaxJobs));
    }
    return jobs;
}

// "K/N": shard K (from 1) of N.
std::pair<std::size_t, std::size_t> ParseShard(std::string_view option, std::string_view text) {
    const std::size_t slash = text.find('/');
    std::size_t index = 0;
    std::size_t count = 0;
    if (slash == std::string_view::npos || !ParseWhole(text.substr(0, slash), index) ||
        !ParseWhole(text.substr(slash + 1), count)) {
        throw UsageError(std::string(option) + ": " + Quoted(text) + " is not K/N, e.g. 2/8");
    }
    if (count < 1) {
        throw UsageError(std::string(option) + ": " + Quoted(text) + " has N below 1");
    }
    if (index < 1 || index > count) {
        throw UsageError(std::string(option) + ": " + Quoted(text) + " has K outside 1 to " +
                         std::to_string(count));
    }
    return {index, count};
}

std::optional<ImageFormat> ParseImageFormat(std::string_view text) {
    for (ImageFormat format : SaveFormats) {
        if (text == FileTypeOf(format).Name) {
            return format;
        }
    }
    return std::nullopt;
}

} // namespace

BatchOptions CommandLine::Parse(std::span<const std::string_view> arguments) {
    BatchOptions options;
    bool methodGiven = false;
    bool headerGiven = false;
    bool imageFormatGiven = false;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            options.Inputs.emplace_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string_view name = argument.substr(0, equals);
        const bool inlineValue = equals != std::string_view::npos;
        const auto flag = [&] {
            if (inlineValue) {
                throw UsageError(std::string(name) + " takes no value");
            }
        };
        const auto value = [&]() -> std::string_view {
            if (inlineValue) {
                return argument.substr(equals + 1);
            }
            if (i + 1 == arguments.size()) {
                throw UsageError(std::string(name) + ": a value is missing");
            }
            return arguments[++i];
        };
        if (name == "-h" || name == "--help") {
            flag();
            options.Help = true;
        } else if (name == "--color-correction") {
            flag();
            options.ColorCorrection = true;
        } else if (name == "--no-header") {
            flag();
            options.Header = false;
            headerGiven = true;
        } else if (name == "--header") {
            flag();
            options.Header = true;
            headerGiven = true;
        } else if (name == "--shard") {
            std::tie(options.ShardIndex, options.ShardCount) = ParseShard(name, value());
        } else if (name == "--recursive") {
            flag();
            options.Recursive = true;
        } else if (name == "--resume") {
            flag();
            options.Resume = true;
        } else if (name == "--image-format") {
            options.ImagesFormat = ParseChoice(name, value(), &ParseImageFormat, "bmp and png");
            imageFormatGiven = true;
        } else if (name == "--best-per-tile") {
            flag();
            options.BestPerTile = true;
        } else if (name == "--transforms") {
            options.Kinds = ParseKinds(name, value());
        } else if (name == "--tiles") {
            options.TileCounts = ParseTileCounts(name, value());
        } else if (name == "--errors") {
            options.ErrorPercents = ParsePercents(name, value());
        } else if (name == "--side") {
            options.Side = ParseSide(name, value());
        } else if (name == "--dct-scaling") {
            options.Options.Scaling =
                ParseChoice(name, value(), &ParseScaling, "plain and orthonormal");
        } else if (name == "--levels") {
            options.Options.Levels =
                ParseChoice(name, value(), &ParseLevels, "page, all and 1 to 12");
        } else if (name == "--rule") {
            options.Options.Rule = ParseChoice(name, value(), &ParseRule, "error and kept");
        } else if (name == "--tile-rows") {
            options.TileRowsFile = FileName(name, value());
        } else if (name == "--bd") {
            options.BdReference = ParseReference(name, value());
        } else if (name == "--bd-method") {
            options.Method = ParseChoice(name, value(), &ParseBdMethod, "cubic and pchip");
            methodGiven = true;
        } else if (name == "--bd-output") {
            options.BdOutput = FileName(name, value());
        } else if (name == "--jobs") {
            options.Jobs = ParseJobs(name, value());
        } else if (name == "--output") {
            const std::string_view file = value();
            if (file.empty()) {
                throw UsageError("--output: the file name is empty");
            }
            options.Output = std::string(file);
        } else if (name == "--images") {
            const std::string_view folder = value();
            if (folder.empty()) {
                throw UsageError("--images: the folder name is empty");
            }
            options.ImagesFolder = std::string(folder);
        } else {
            throw UsageError("unknown option " + std::string(name));
        }
    }
    if (options.Inputs.empty() && !options.Help) {
        throw UsageError("no image or folder given");
    }
    // A later shard's rows follow the first's, which carries the header.
    if (options.ShardIndex > 1 && !headerGiven) {
        options.Header = false;
    }
    if (imageFormatGiven && !options.ImagesFolder) {
        throw UsageError("--image-format: needs --images FOLDER");
    }
    if (options.Resume && !options.Output) {
        throw UsageError("--resume: needs --output FILE");
    }
    if (options.Resume && options.TileRowsFile) {
        throw UsageError("--resume: cannot be used with --tile-rows yet");
    }
    if (options.BdReference.has_value() != options.BdOutput.has_value()) {
        throw UsageError(options.BdReference ? "--bd: needs --bd-output FILE"
                                             : "--bd-output: needs --bd REFERENCE");
    }
    if (methodGiven && !options.BdReference) {
        throw UsageError("--bd-method: needs --bd REFERENCE");
    }
    if (options.BdReference) {
        const std::string& reference = *options.BdReference;
        const bool inRun =
            reference == "Best per tile"
                ? options.BestPerTile
                : std::any_of(options.Kinds.begin(), options.Kinds.end(),
                              [&](TransformKind k) { return Describe(k).Caption == reference; });
        if (!inRun) {
            throw UsageError("--bd: " + reference + " is not among the curves converted" +
                             (reference == "Best per tile" ? " (give --best-per-tile)" : ""));
        }
    }
    if (options.BestPerTile) {
        std::vector<TransformKind> kinds = options.Kinds;
        std::sort(kinds.begin(), kinds.end());
        kinds.erase(std::unique(kinds.begin(), kinds.end()), kinds.end());
        if (kinds.size() != TransformKindCount) {
            throw UsageError("--best-per-tile: needs all six transforms (--transforms all)");
        }
    }
    return options;
}

std::string_view CommandLine::Usage() {
    return R"(Usage: tarvish-batch [OPTION]... IMAGE|FOLDER...

Converts each image given (and each image file of each folder given, by name) with every
transform, tile count and permitted error asked for, exactly as the Tarvish window converts
it, and writes one CSV row per conversion. Images are bitmaps (.bmp), PNG, JPEG, TIFF, WebP
or Netpbm (.ppm .pgm .pnm), read as the window reads them; a build without Qt reads bitmaps
only.

Options:
  --recursive         also take the image files of each folder's subfolders, sorted by
                      their paths relative to the folder given
  --transforms LIST   page captions separated by commas, e.g. "DCT 1D,Haar 2D" (case and
                      spaces do not matter), or all (the default): DCT 1D, D4 1D, Haar 1D,
                      DCT 2D, D4 2D, Haar 2D
  --tiles LIST        tiles per side, powers of two from 1 to 32 (default 1,2,4,8,16,32); a
                      count whose tiles would be narrower than a pixel is skipped for that
                      image, with a note on standard error
  --errors LIST       permitted errors in percent, from 0 to 100
                      (default 0,0.1,0.25,0.5,1,2,3,5,7,10,15,20,30,50,100); with
                      --rule kept, the shares of each tile's coefficients to keep
  --dct-scaling plain|orthonormal
                      plain (the default) thresholds the cosine pages' unnormalised
                      coefficients; orthonormal decides on them scaled to an orthonormal
                      basis, so that an error means the same on every page
  --levels page|all|N wavelet levels: page (the default: Haar every level, D4 one step), all
                      (both through every level), or 1 to 12 for both
  --rule error|kept   error (the default): each tile loses coefficients up to the permitted
                      error; kept: each tile keeps the given share of its coefficients
  --side N            side of the converted square at the top left, a power of two from 1
                      to 16384 (default: the smallest power of two covering the image)
  --color-correction  bring reconstructions that leave 0..255 back into range
  --jobs N            threads (default: one per core); the rows do not depend on it
  --output FILE       write the rows to FILE instead of standard output; each row is
                      written whole as soon as it and every row before it are done
  --resume            keep the rows already complete in the file of --output and convert
                      only what follows them (a last line cut short is removed); every
                      kept row must be the one this run writes at its place, otherwise
                      nothing is written and the first that is not is named
  --images FOLDER     also write every result to FOLDER as a 24-bit bitmap, named after
                      image, transform, tile count and error, e.g.
                      chelsea_256x256_DCT1D_8tiles_5pct.bmp, and the options that are not
                      the defaults: chelsea_256x256_DCT1D_8tiles_5pct_orthonormal_all_kept.bmp;
                      an image of another format has its extension in the name
                      (photo_png_DCT1D_8tiles_5pct.bmp); with --recursive the results
                      mirror the subfolders of the images
  --image-format bmp|png
                      what --images writes (default bmp)
  --best-per-tile     for each image, a seventh block "Best per tile" after the six: each
                      tile from the transform that keeps the fewest of its coefficients
                      (see the README); needs all six transforms; with --images, its
                      bitmaps too (chelsea_256x256_BestPerTile_8tiles_5pct.bmp)
  --tile-rows FILE    also write one CSV row per tile of every conversion of the
                      transforms to FILE: what it kept, its squared errors and, with
                      --best-per-tile, whether it won the tile
  --bd REFERENCE      also compute the Bjontegaard figures of every curve (per image and
                      tile count) against REFERENCE, a caption or "Best per tile", and
                      write them to the file of --bd-output
  --bd-method cubic|pchip
                      the BD method: cubic (the default, the least-squares cubic of
                      VCEG-M33) or pchip (the monotone piecewise cubic)
  --bd-output FILE    where the BD rows go
  --shard K/N         convert only shard K (from 1) of N of the sorted list of images: the
                      shards' outputs, one after another, are the whole run's rows; from
                      the second shard on the header is left out unless --header is given
  --header            write the header line (the default, except for --shard K/N, K > 1)
  --no-header         leave out the header line (of every file written)
  -h, --help          show this text

Rows come in a fixed order: image, transform, tile count, error, each as given.
Columns: image,width,height,transform,side,tile,error_percent,color_correction,
kept_percent_red,kept_percent_green,kept_percent_blue,kept_percent,mse,psnr_db,ssim,
max_error,time_ms,dct_scaling,levels,rule

Under the error rule kept_percent counts the coefficients ranked ahead of the cut, one fewer
per tile than survive where no two share the cut's magnitude; under the kept rule it is the
share kept.

Exit status: 0 when every image was converted, 1 when some input failed or the output could
not be written, 2 for a usage error. TARVISH_MEMORY_LIMIT (bytes, or with a K, M or G
suffix) caps the memory an image may take.
)";
}
