#include "Sweep.h"

#include "ConversionCancelled.h"
#include "ConversionFigures.h"
#include "PageConversion.h"
#include "ParallelFor.h"
#include "TileCoefficients.h"
#include "Transform.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>

namespace {

ConversionSettings ConversionOf(const SweepSettings& settings, TransformKind kind) {
    ConversionSettings conversion;
    conversion.Side = settings.Side;
    conversion.TileCount = settings.TileCount;
    conversion.Order = Describe(kind).Order();
    conversion.ColorCorrection = settings.ColorCorrection;
    conversion.Options = settings.Options;
    return conversion;
}

// Hands finished points to the sink in their order, on the calling thread only: points that
// finish early wait in their slot until those before them are out.
class InOrder {
public:
    InOrder(std::size_t count, std::size_t delivered, std::size_t total,
            const Sweep::PointSink& sink, const std::atomic<bool>* cancel)
        : slots(count), done(delivered), total(total), sink(sink), cancel(cancel) {}

    void Put(std::size_t index, SweepPoint&& point) {
        std::lock_guard lock(mutex);
        slots[index] = std::move(point);
    }

    // Only from the calling thread. Once cancel is set no point goes out.
    void DeliverReady() {
        for (;;) {
            std::optional<SweepPoint> point;
            {
                std::lock_guard lock(mutex);
                if (next == slots.size() || !slots[next]) {
                    return;
                }
                if (cancel && cancel->load(std::memory_order_relaxed)) {
                    throw ConversionCancelled();
                }
                point = std::move(slots[next]);
                slots[next].reset();
                ++next;
            }
            sink(std::move(*point), ++done, total);
        }
    }

    std::size_t Done() const { return done; }

private:
    std::mutex mutex;
    std::vector<std::optional<SweepPoint>> slots;
    std::size_t next = 0;
    std::size_t done;
    std::size_t total;
    const Sweep::PointSink& sink;
    const std::atomic<bool>* cancel;
};

} // namespace

Sweep::Sweep(SweepSettings settings) : settings(std::move(settings)) {
    const SweepSettings& s = this->settings;
    if (s.Kinds.empty()) {
        throw std::invalid_argument("Sweep: no transform kind given");
    }
    for (TransformKind kind : s.Kinds) {
        // Throws for a kind outside the six.
        Describe(kind);
    }
    CheckOptions(s.Options);
    if (s.ErrorPercents.empty()) {
        throw std::invalid_argument("Sweep: no error percentage given");
    }
    for (double percent : s.ErrorPercents) {
        if (!std::isfinite(percent) || percent < 0.0) {
            throw std::invalid_argument("Sweep: error percentage " + std::to_string(percent) +
                                        " is not a finite number of at least 0");
        }
    }
    if (s.Side < 1 || s.TileCount < 1 || s.Side / s.TileCount == 0) {
        throw std::invalid_argument("Sweep: a side of " + std::to_string(s.Side) + " and " +
                                    std::to_string(s.TileCount) +
                                    " tiles per side leave no tile to convert");
    }
}

Sweep::Split Sweep::SplitThreads(const SweepSettings& settings, std::size_t jobs) {
    const std::size_t threads = jobs == 0 ? HardwareThreads() : jobs;
    const std::size_t points = std::clamp<std::size_t>(settings.ErrorPercents.size(), 1, threads);
    return {points, std::max<std::size_t>(1, threads / points)};
}

void Sweep::Run(RgbView image, std::size_t jobs, const PointSink& sink,
                const std::atomic<bool>* cancel) const {
    if (!sink) {
        throw std::invalid_argument("Sweep::Run: no point sink given");
    }
    const Split split = SplitThreads(settings, jobs);
    const std::size_t errors = settings.ErrorPercents.size();
    const std::size_t total = PointCount();
    std::size_t delivered = 0;
    for (TransformKind kind : settings.Kinds) {
        const ConversionSettings base = ConversionOf(settings, kind);
        // One object per thread; the points running at once each take ThreadsPerPoint of them.
        const std::size_t threads = split.Points * split.ThreadsPerPoint;
        std::vector<std::unique_ptr<Transform>> owned;
        std::vector<Transform*> transforms;
        for (std::size_t i = 0; i < threads; ++i) {
            owned.push_back(MakeTransform(kind));
            transforms.push_back(owned.back().get());
        }

        const TileCoefficients coefficients = [&] {
            PageConversion source(base, image.Width, image.Height);
            source.Read(image);
            return source.ForwardTiles(transforms, cancel);
        }();
        const double forwardShare =
            coefficients.ForwardMilliseconds() / static_cast<double>(errors);

        InOrder out(errors, delivered, total, sink, cancel);
        ParallelFor(
            errors, split.Points,
            [&](std::size_t e, std::size_t worker) {
                SweepPoint point;
                point.Kind = kind;
                ConversionSettings s = base;
                s.SetErrorPercent(settings.ErrorPercents[e]);
                PageConversion conversion(s, image.Width, image.Height);
                const std::span<Transform* const> mine =
                    std::span<Transform* const>(transforms)
                        .subspan(worker * split.ThreadsPerPoint, split.ThreadsPerPoint);
                // Every point is a page's first conversion.
                mine[0]->KeptPercent = 0.0;
                conversion.Run(coefficients, mine, cancel);
                conversion.CorrectColors();
                point.Result = conversion.Finish();
                point.Result.ComputeMilliseconds += forwardShare;
                if (!settings.KeepPixels) {
                    point.Result.Pixels = {};
                    point.Result.ErrorMap = {};
                }
                out.Put(e, std::move(point));
                // Worker 0 is the calling thread.
                if (worker == 0) {
                    out.DeliverReady();
                }
            },
            cancel);
        out.DeliverReady();
        delivered = out.Done();
    }
}

std::vector<SweepPoint> Sweep::Run(RgbView image, std::size_t jobs,
                                   const std::atomic<bool>* cancel) const {
    std::vector<SweepPoint> points;
    points.reserve(PointCount());
    Run(
        image, jobs,
        [&points](SweepPoint&& point, std::size_t, std::size_t) {
            points.push_back(std::move(point));
        },
        cancel);
    return points;
}

std::uint64_t Sweep::BytesNeeded(const SweepSettings& settings, std::size_t jobs) {
    const Split split = SplitThreads(settings, jobs);
    const ConversionSettings conversion = ConversionOf(settings, TransformKind::Dct1D);
    const std::uint64_t coefficients = TileCoefficients::BytesNeeded(settings.Side);
    const std::uint64_t forward =
        PageConversion::BytesNeeded(conversion, split.Points * split.ThreadsPerPoint);
    std::uint64_t points =
        split.Points * PageConversion::BytesNeeded(conversion, split.ThreadsPerPoint);
    if (settings.KeepPixels) {
        // Points that finish early wait for those before them.
        const auto side = static_cast<std::uint64_t>(std::max(settings.Side, 0));
        points += settings.ErrorPercents.size() * side * side * (sizeof(std::uint32_t) + 1);
    }
    return coefficients + std::max(forward, points);
}
