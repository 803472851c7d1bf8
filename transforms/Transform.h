#pragma once

#include "ScratchArray.h"
#include "Thresholder.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>

class CosinePlan;

// A transform of one square tile of n x n doubles, held as one contiguous array
// and changed in place. Element (r, c) of a tile is data[r * n + c].
//
// The concrete classes, and the tile sides they take (others throw
// std::invalid_argument before the tile changes):
//   CosineFFT, CosineFFT2D        unnormalised DCT-II; the inverse carries the
//                                 only scaling (2/N) so Inverse(Forward(t)) == t.
//                                 Sides 0, 1 and powers of two (CosineFFT: whose
//                                 square fits 32 bits).
//   HaarDWT, HaarDWT2D            all Haar levels, both directions scaled by K.
//                                 Sides 0, 1 and powers of two that fit an int
//                                 (HaarDWT: whose square fits an int).
//   Daubechies4DWT, Daubechies4DWT2D  one periodic D4 filter step per line. Any
//                                 even side, and sides that leave the tile as it
//                                 is: 0 and 1, for the 2D class also 3.
//                                 (Daubechies4DWT: squares that fit 32 bits.)
// The classes without "2D" treat the tile as one vector of n * n values, the
// "2D" classes transform every row and then every column. Threshold takes any
// side.
//
// One object serves one call at a time: Forward and Inverse work through
// Buffer, and Threshold records KeptPercent for the caller to read. The scratch
// memory and tables a call needs stay with the object for the next call, until
// ReleaseScratch.
class Transform {
public:
    Transform() = default;
    Transform(const Transform&) = delete;
    Transform& operator=(const Transform&) = delete;

    virtual void Forward(double* data, std::uint32_t n) = 0;
    virtual void Inverse(double* data, std::uint32_t n) = 0;

    // Zeroes the smallest coefficients of the n x n tile until the root energy
    // of what is dropped, relative to the tile's, would reach x; records in
    // KeptPercent how many coefficients rank ahead of the cut.
    // A NaN x throws std::invalid_argument; x <= 0 keeps every coefficient and x >= 1 only the
    // largest magnitudes. A NaN coefficient ranks above every other magnitude and survives.
    virtual void Threshold(double* data, std::uint32_t n, double x);

    // Writes count values, each followed by a TAB, with the stream's own format. Kept as
    // specified: nothing in the program writes coefficients, only the tests call it.
    virtual void WriteCoefficients(const double* data, std::uint32_t count, std::ostream& out);

    virtual ~Transform() = default;

    // The array the running Forward or Inverse works on; meaningless between calls.
    double* Buffer = nullptr;
    // Percentage of coefficients that ranked ahead of the cut in the last Threshold whose walk
    // stopped, in [0, 100); 0 after an empty tile or one without energy. Left unchanged when the
    // walk never stops, so that it holds the figure of the call before.
    double KeptPercent = 0.0;

    // Gives back the scratch memory and the tables kept from earlier calls; the next call
    // takes them again.
    void ReleaseScratch();

protected:
    // At least count doubles, 64-byte aligned, kept from call to call. The contents are left
    // from the last use; a larger count replaces the array (the old one goes first).
    double* Scratch(std::size_t count);

    // Twiddle tables of the cosine classes, for their forward and inverse directions.
    std::shared_ptr<const CosinePlan> cosinePlans[2];

private:
    // Shared by Forward, Inverse and Threshold's keys: a one-tile page holds one such array.
    ScratchArray scratch;
    // Threshold's own memory.
    Thresholder thresholder;
};
