#pragma once

#include <cstddef>
#include <memory>

// Doubles, 64-byte aligned, kept from call to call: the one array a transform object lends to
// its Forward, Inverse and Threshold in turn, so that a page holds one per object rather than
// one per use.
class ScratchArray {
public:
    // At least count doubles. The contents are left from the last use; a larger count replaces
    // the array (the old one goes first).
    double* Take(std::size_t count);
    void Release();

private:
    struct AlignedDelete {
        void operator()(double* p) const;
    };
    std::unique_ptr<double[], AlignedDelete> array;
    std::size_t arrayCount = 0;
};
