#pragma once

#include "Bjontegaard.h"

#include <optional>
#include <string>
#include <vector>

// What tarvish-summary was asked to do (SummaryCommandLine.h).
struct SummaryOptions {
    // Row files in the order given; "-" is standard input.
    std::vector<std::string> Inputs;
    // The curves table; standard output when absent.
    std::optional<std::string> Output;
    // The BD table; none is computed when absent.
    std::optional<std::string> BdOutput;
    std::string Reference = "DCT 2D";
    BdMethod Method = BdMethod::CubicFit;
    bool Help = false;
};
