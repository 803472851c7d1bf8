// tarvish-summary: tarvish-batch's rows summarised over the set of images.

#include "BdSetTable.h"
#include "BdSummary.h"
#include "CurveSummary.h"
#include "CurveTable.h"
#include "OutputFile.h"
#include "OutputFileError.h"
#include "RowFileError.h"
#include "RowReader.h"
#include "SummaryCommandLine.h"
#include "SummaryUsageError.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <optional>
#include <string_view>
#include <vector>

namespace {

constexpr int Succeeded = 0;
constexpr int Failed = 1;
constexpr int Usage = 2;

template <typename Table, typename Items>
void WriteTable(OutputFile& file, const Items& items) {
    file.WriteRow(std::span<const std::string_view>(Table::Columns()));
    for (const std::vector<std::string>& row : Table::Rows(items)) {
        file.WriteRow(row);
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + std::min(argc, 1), argv + argc);
    try {
        const SummaryOptions options = SummaryCommandLine::Parse(arguments);
        if (options.Help) {
            std::fputs(SummaryCommandLine::Usage().data(), stdout);
            return std::fflush(stdout) == 0 ? Succeeded : Failed;
        }
        // Made before the work, so that a table that cannot be written is refused at once.
        std::optional<OutputFile> curvesFile;
        std::optional<OutputFile> bdFile;
        try {
            curvesFile.emplace(options.Output);
            if (options.BdOutput) {
                bdFile.emplace(options.BdOutput);
            }
        } catch (const OutputFileError& error) {
            std::fprintf(stderr, "tarvish-summary: %s\n", error.what());
            return Usage;
        }
        const RowSet set = RowReader::ReadFiles(options.Inputs);
        WriteTable<CurveTable>(*curvesFile, CurveSummary::Of(set.Rows()));
        if (bdFile) {
            WriteTable<BdSetTable>(*bdFile,
                                   BdSummary::Of(set.Rows(), options.Reference, options.Method));
            bdFile->Commit();
        }
        curvesFile->Commit();
        return Succeeded;
    } catch (const SummaryUsageError& error) {
        std::fprintf(stderr, "tarvish-summary: %s\nTry 'tarvish-summary --help' for more.\n",
                     error.what());
        return Usage;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tarvish-summary: %s\n", error.what());
        return Failed;
    }
}
