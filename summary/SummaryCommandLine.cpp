#include "SummaryCommandLine.h"

#include "CurveKey.h"
#include "SummaryUsageError.h"
#include "TransformKind.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace {

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// Spelt as the rows spell the transform.
std::string ParseReference(std::string_view option, std::string_view text) {
    if (FoldedCaption(text) == FoldedCaption(BestPerTileCaption)) {
        return std::string(BestPerTileCaption);
    }
    for (const auto& info : TransformKinds()) {
        if (FoldedCaption(info.Caption) == FoldedCaption(text)) {
            return std::string(info.Caption);
        }
    }
    throw SummaryUsageError(std::string(option) + ": " + Quoted(text) +
                            " is not a page caption or Best per tile");
}

std::string FileName(std::string_view option, std::string_view file) {
    if (file.empty()) {
        throw SummaryUsageError(std::string(option) + ": the file name is empty");
    }
    return std::string(file);
}

} // namespace

SummaryOptions SummaryCommandLine::Parse(std::span<const std::string_view> arguments) {
    SummaryOptions options;
    bool referenceGiven = false;
    bool methodGiven = false;
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
        const auto value = [&]() -> std::string_view {
            if (inlineValue) {
                return argument.substr(equals + 1);
            }
            if (i + 1 == arguments.size()) {
                throw SummaryUsageError(std::string(name) + ": a value is missing");
            }
            return arguments[++i];
        };
        if (name == "-h" || name == "--help") {
            if (inlineValue) {
                throw SummaryUsageError(std::string(name) + " takes no value");
            }
            options.Help = true;
        } else if (name == "--output") {
            options.Output = FileName(name, value());
        } else if (name == "--bd-output") {
            options.BdOutput = FileName(name, value());
        } else if (name == "--reference") {
            options.Reference = ParseReference(name, value());
            referenceGiven = true;
        } else if (name == "--method") {
            const std::string_view text = value();
            const std::optional<BdMethod> method = ParseBdMethod(text);
            if (!method) {
                throw SummaryUsageError("--method: " + Quoted(text) +
                                        " is not one of cubic and pchip");
            }
            options.Method = *method;
            methodGiven = true;
        } else {
            throw SummaryUsageError("unknown option " + std::string(name));
        }
    }
    if (options.Help) {
        return options;
    }
    if (options.Inputs.empty()) {
        throw SummaryUsageError("no row file given");
    }
    if (std::count(options.Inputs.begin(), options.Inputs.end(), "-") > 1) {
        throw SummaryUsageError("- (standard input) is given twice");
    }
    if (!options.BdOutput && (referenceGiven || methodGiven)) {
        throw SummaryUsageError(std::string(referenceGiven ? "--reference" : "--method") +
                                ": needs --bd-output FILE");
    }
    if (options.Output && options.BdOutput && *options.Output == *options.BdOutput) {
        throw SummaryUsageError("--bd-output: " + *options.BdOutput +
                                " is the file of --output too");
    }
    return options;
}

std::string_view SummaryCommandLine::Usage() {
    return R"(Usage: tarvish-summary [OPTION]... FILE...

Summarises the rows tarvish-batch wrote (each FILE a file of rows, - for standard input) over
the set of images they hold: for every transform, tiles per side, colour correction, options
and error, the spread of the images' kept share, PSNR and SSIM; and, with --bd-output, the
spread of the images' Bjontegaard figures against a reference.

Options:
  --output FILE       write the curves table to FILE instead of standard output
  --bd-output FILE    also compute the Bjontegaard figures and write them to FILE
  --reference REFERENCE
                      the curve the BD figures compare with: a page caption (case and
                      spaces do not matter) or "Best per tile" (default DCT 2D)
  --method cubic|pchip
                      the BD method: cubic (the default, the least-squares cubic of
                      VCEG-M33) or pchip (the monotone piecewise cubic)
  -h, --help          show this text

The files may come from several shards of one run, in any order, with or without the header
line, and with or without the option columns (dct_scaling, levels, rule; files without them
are read with the defaults plain, page, error). A conversion (image, transform, tiles per
side, error, colour correction and options) given twice is refused. Images are grouped by
tiles per side, side / tile, so that images of different sizes meet.

The curves table has a row per transform (page order, then Best per tile), tiles (ascending),
colour correction (no first), options and error (ascending). Columns:
transform,tiles,color_correction,error_percent,images,kept_percent_mean,kept_percent_std,
kept_percent_min,kept_percent_median,kept_percent_max,psnr_db_mean,psnr_db_std,psnr_db_min,
psnr_db_median,psnr_db_max,psnr_infinite,ssim_mean,ssim_std,ssim_min,ssim_median,ssim_max,
dct_scaling,levels,rule
Standard deviations are the sample ones (n - 1), empty for one image; medians interpolate
between the two middle images, as numpy.percentile does. Infinite PSNRs (identical results)
are counted in psnr_infinite and left out of the PSNR columns; undefined SSIMs are left out
of the SSIM columns.

The BD figures are computed per image, each image's curve (kept_percent and psnr_db over the
errors) against the same image's reference curve, exactly as tarvish-batch --bd does, and then
averaged over the images, as is usual in codec comparisons; never from averaged curves. The
BD table has a row per transform (the reference's own too), tiles, colour correction and
options. Columns:
transform,reference,method,tiles,color_correction,images,bd_kept_percent_mean,
bd_kept_percent_std,bd_kept_percent_min,bd_kept_percent_max,bd_psnr_db_mean,bd_psnr_db_std,
bd_psnr_db_min,bd_psnr_db_max,undefined,dct_scaling,levels,rule
images counts the images where both figures are defined, which the figures are over;
undefined the others: no reference curve, fewer than 4 usable points, or no overlap.

Tables are written whole or not at all: a file is replaced only once all its rows are ready.

Exit status: 0 on success, 1 when a row file cannot be read, holds a malformed row (named
with its line) or a conversion twice, or a table cannot be written, 2 for a usage error or
an output file that cannot be created.
)";
}
