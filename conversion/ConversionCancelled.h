#pragma once

#include <stdexcept>

// Thrown out of a conversion, sweep or parallel loop that was asked to stop; whatever it was
// building is incomplete and must be dropped.
class ConversionCancelled : public std::runtime_error {
public:
    ConversionCancelled() : std::runtime_error("the conversion was stopped") {}
};
