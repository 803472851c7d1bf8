#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// The twiddle factors of CosineFFT's kernels for one length and direction, each produced once by
// the kernels' own trigonometric recurrence and kept, so that a transform reads them instead of
// stepping the recurrence again. The figures are those the recurrence gives, bit for bit.
//
// For a length L (a power of two, at least 2) and a direction (1 forward, -1 inverse):
//   Taper       L/2 values: wi1 after s steps of the cosine recurrence (theta = pi / 2L),
//               for the inverse 0.5 / wi1, the factor it multiplies by
//   Rotation    (wr, wi) after s = 1 .. L/2 - 1 steps of the same recurrence from (1, 0)
//   Real        the real FFT's (wr, wi) for its steps 2 .. L/4 (theta = +-pi / (L/2))
//   Stage(h)    the complex FFT's (wr, wi) for butterflies m = 0 .. h-1 of the stage whose pairs
//               lie h complex values apart, h = 1, 2, 4 .. L/4 (theta = +-pi / h)
// Lengths above LineTableLimit keep no Taper, Rotation or Real table and stages above
// StageTableLimit keep none: the kernels step the recurrence there, so that the tables of the
// longest vectors stay small next to the vectors themselves.
class CosinePlan {
public:
    struct Twiddle {
        double Real;
        double Imag;
    };
    // A stage's twiddle as a butterfly multiplies by it: the real part twice, then the
    // imaginary part negated and as is, so that one complex value (re, im) times it is
    // (re, im) * (Real, Real) + (im, re) * (NegatedImag, Imag) lane by lane.
    struct alignas(16) StageTwiddle {
        double Real;
        double RealAgain;
        double NegatedImag;
        double Imag;
    };

    static constexpr std::size_t LineTableLimit = std::size_t{1} << 18;
    static constexpr std::size_t StageTableLimit = std::size_t{1} << 15;

    // Plans up to this length are kept once built (about 2 MiB for all of them).
    static constexpr std::size_t KeptLengthLimit = std::size_t{1} << 16;

    // The shared plan for the length and direction, built on first use; a plan longer than
    // KeptLengthLimit is freed when the last holder lets go. Thread-safe. length must be a power of
    // two of at least 2 and direction 1 or -1, else std::invalid_argument.
    static std::shared_ptr<const CosinePlan> Get(std::size_t length, int direction);

    CosinePlan(std::size_t length, int direction);

    std::size_t Length() const { return length; }
    int Direction() const { return direction; }

    // Empty above LineTableLimit.
    std::span<const double> Taper() const { return taper; }
    std::span<const Twiddle> Rotation() const { return rotation; }
    std::span<const Twiddle> Real() const { return real; }

    // Stage(h) for h a power of two up to LargestTabledStage(), else empty.
    std::span<const StageTwiddle> Stage(std::size_t h) const;
    // Every tabled stage in one array: Stage(h) starts at index h - 1.
    std::span<const StageTwiddle> Stages() const { return stages; }
    std::size_t LargestTabledStage() const { return largestStage; }

    // The recurrence constants: of the cosine sequences (Taper, Rotation), of the real FFT's
    // sequence, and of the stage with pairs h apart (any power of two h).
    Twiddle CosineStep() const { return cosineStep; }
    Twiddle CosineStart() const { return cosineStart; }
    Twiddle RealStep() const { return realStep; }
    Twiddle StageStep(std::size_t h) const;

    static StageTwiddle Expanded(Twiddle w) { return {w.Real, w.Real, -w.Imag, w.Imag}; }

    // One step of the recurrence, in the order of arithmetic that fixes every figure.
    static void Rotate(Twiddle& w, Twiddle step) {
        const double wtemp = w.Real;
        w.Real = w.Real * step.Real - w.Imag * step.Imag + w.Real;
        w.Imag = w.Imag * step.Real + wtemp * step.Imag + w.Imag;
    }

private:
    std::size_t length;
    int direction;
    Twiddle cosineStep{};
    Twiddle cosineStart{};
    Twiddle realStep{};
    std::size_t largestStage = 0;
    std::vector<double> taper;
    std::vector<Twiddle> rotation;
    std::vector<Twiddle> real;
    // Stage(h) starts at index h - 1.
    std::vector<StageTwiddle> stages;
};
