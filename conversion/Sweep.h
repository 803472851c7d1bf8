#pragma once

#include "RgbView.h"
#include "SweepPoint.h"
#include "SweepSettings.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// A rate-distortion sweep of one image: every (kind, error percentage) point of the settings,
// each with the figures that a separate ConvertImage of the image at that kind and error would
// give, bit for bit (a page's first conversion: the kept percentage carried between tiles starts
// at 0 for every point). The forward transform of a tile does not depend on the error, so each
// kind's tiles are transformed once and every point thresholds and inverts copies of their
// coefficients; the coefficients of one kind are held at a time.
//
// Threads: jobs 0 means one per core. The points of a kind run side by side, the tiles of a
// point too when there are more threads than points; no figure depends on the thread count.
class Sweep {
public:
    // Receives each point on the thread that called Run, in a fixed order (kind order, then
    // error order); done counts the points delivered so far, this one included, of total.
    using PointSink = std::function<void(SweepPoint&& point, std::size_t done, std::size_t total)>;

    // Throws std::invalid_argument for no kind, a kind outside the six, no error percentage, a
    // percentage that is negative or not finite, a side or tile count below 1, a tile side
    // (Side / TileCount) of 0, or options that CheckOptions refuses.
    explicit Sweep(SweepSettings settings);

    const SweepSettings& Settings() const { return settings; }
    std::size_t PointCount() const { return settings.Kinds.size() * settings.ErrorPercents.size(); }

    // Converts the square at the top left of image at every point. cancel is checked between
    // tiles: once it is set, no further point is delivered and Run throws ConversionCancelled
    // as soon as the tiles under way are done; the points delivered before stay valid. An
    // exception from sink stops the sweep and comes out of Run.
    void Run(RgbView image, std::size_t jobs, const PointSink& sink,
             const std::atomic<bool>* cancel = nullptr) const;
    // The same, collecting the points in their order.
    std::vector<SweepPoint> Run(RgbView image, std::size_t jobs,
                                const std::atomic<bool>* cancel = nullptr) const;

    // Bytes a sweep holds at its peak besides the image and the points handed out: one kind's
    // coefficients and the conversions running at once.
    static std::uint64_t BytesNeeded(const SweepSettings& settings, std::size_t jobs);

private:
    // How the threads are shared: points running at once, and threads per point.
    struct Split {
        std::size_t Points = 1;
        std::size_t ThreadsPerPoint = 1;
    };
    static Split SplitThreads(const SweepSettings& settings, std::size_t jobs);

    SweepSettings settings;
};
