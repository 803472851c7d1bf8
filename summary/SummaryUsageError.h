#pragma once

#include <stdexcept>
#include <string>

// A command line tarvish-summary cannot run; what() is the reason, e.g.
// "--method: \"spline\" is not one of cubic and pchip".
class SummaryUsageError : public std::runtime_error {
public:
    explicit SummaryUsageError(const std::string& reason) : std::runtime_error(reason) {}
};
