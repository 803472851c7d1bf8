// tarvish-batch: the window's conversions from the command line, one CSV row each.

#include "AvailableMemory.h"
#include "BatchRun.h"
#include "CommandLine.h"
#include "CsvWriter.h"
#include "OutputError.h"
#include "ResumeRows.h"
#include "UsageError.h"

#ifdef TARVISH_QT_IMAGES
#include "QtImageFiles.h"
#else
#include "BitmapFiles.h"
#endif

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

constexpr int Succeeded = 0;
constexpr int SomeFailed = 1;
constexpr int Usage = 2;

// The images folder, made when missing; throws UsageError when it cannot be.
void PrepareImagesFolder(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::create_directories(folder, error);
    if (!error && !fs::is_directory(folder, error)) {
        error = std::make_error_code(std::errc::not_a_directory);
    }
    if (!error && access(folder.c_str(), W_OK | X_OK) != 0) {
        error = std::error_code(errno, std::generic_category());
    }
    if (error) {
        throw UsageError("--images: cannot write to folder " + folder + ": " + error.message());
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + std::min(argc, 1), argv + argc);
    try {
        const BatchOptions options = CommandLine::Parse(arguments);
        if (options.Help) {
            std::fputs(CommandLine::Usage().data(), stdout);
            return std::fflush(stdout) == 0 ? Succeeded : SomeFailed;
        }
        // A malformed limit is a mistake in how the command was started: refuse it now.
        try {
            AvailableMemoryBytes();
        } catch (const std::invalid_argument& error) {
            throw UsageError(error.what());
        }
#ifdef TARVISH_QT_IMAGES
        const QtImageFiles files;
#else
        const BitmapFiles files;
#endif
        if (options.ImagesFolder && !files.Writes(options.ImagesFormat)) {
            throw UsageError("--image-format: this build writes bitmaps only (it was built "
                             "without Qt)");
        }
        if (options.ImagesFolder) {
            PrepareImagesFolder(*options.ImagesFolder);
        }
        // With --resume the rows file is read now and written only once the kept rows have all
        // been matched; the BD rows, computed from all rows, replace their file at the end.
        std::optional<ResumeRows> resume;
        if (options.Resume) {
            try {
                resume = ResumeRows::Read(*options.Output, options.Header);
            } catch (const ResumeRows::Mismatch& error) {
                std::fprintf(stderr, "tarvish-batch: --resume: %s; nothing written\n",
                             error.what());
                return SomeFailed;
            }
        }
        CsvWriter rows(options.Output, resume ? CsvWriter::Mode::Append : CsvWriter::Mode::Create,
                       resume ? resume->KeptBytes() : 0);
        // The other files are made before any work, so that one that cannot be is refused now.
        std::optional<CsvWriter> tileRows;
        std::optional<CsvWriter> bdRows;
        if (options.TileRowsFile) {
            tileRows.emplace(options.TileRowsFile);
        }
        if (options.BdOutput) {
            bdRows.emplace(options.BdOutput,
                           resume ? CsvWriter::Mode::Replace : CsvWriter::Mode::Create);
        }
        BatchRun run(options, files, rows, stderr, isatty(STDERR_FILENO) == 1,
                     tileRows ? &*tileRows : nullptr, bdRows ? &*bdRows : nullptr,
                     resume ? &*resume : nullptr);
        return run.Run();
    } catch (const UsageError& error) {
        std::fprintf(stderr, "tarvish-batch: %s\nTry 'tarvish-batch --help' for more.\n",
                     error.what());
        return Usage;
    } catch (const OutputError& error) {
        // The output could not even be opened: nothing was done yet.
        std::fprintf(stderr, "tarvish-batch: %s\n", error.what());
        return Usage;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tarvish-batch: %s\n", error.what());
        return SomeFailed;
    }
}
