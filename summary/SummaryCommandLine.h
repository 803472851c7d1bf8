#pragma once

#include "SummaryOptions.h"

#include <span>
#include <string_view>

// tarvish-summary's command line, read as tarvish-batch reads its own: options take their value
// as the next argument or after '=' (--method pchip or --method=pchip); "--" ends the options;
// every other argument, "-" too, is a row file.
class SummaryCommandLine {
public:
    // The arguments after the program name. Throws SummaryUsageError naming the option and the
    // value.
    static SummaryOptions Parse(std::span<const std::string_view> arguments);

    // The text --help prints.
    static std::string_view Usage();
};
