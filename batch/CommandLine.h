#pragma once

#include "BatchOptions.h"

#include <span>
#include <string_view>

// The batch command's command line. Options take their value as the next argument or after
// '=' (--tiles 1,8 or --tiles=1,8); "--" ends the options; every other argument is an input.
// Everything is checked here, before any work.
class CommandLine {
public:
    // The arguments after the program name. Throws UsageError naming the option and the value.
    static BatchOptions Parse(std::span<const std::string_view> arguments);

    // The text --help prints.
    static std::string_view Usage();
};
