#include "CosinePlan.h"

#include <bit>
#include <cmath>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr double TwoPi = 6.283185307179586;
constexpr double Pi = 3.141592653589793;
constexpr double HalfPi = 1.5707963267948966;

// wpr = -2 sin^2(theta / 2) and wpi = sin theta, as the kernels always computed them.
CosinePlan::Twiddle StepFor(double theta) {
    const double wtemp = std::sin(theta / 2.0);
    return {-2.0 * wtemp * wtemp, std::sin(theta)};
}

} // namespace

std::shared_ptr<const CosinePlan> CosinePlan::Get(std::size_t length, int direction) {
    static std::mutex mutex;
    static std::map<std::pair<std::size_t, int>, std::weak_ptr<const CosinePlan>> plans;
    if (length < 2 || !std::has_single_bit(length)) {
        throw std::invalid_argument("CosinePlan: length " + std::to_string(length) +
                                    " is not a power of two of at least 2");
    }
    if (direction != 1 && direction != -1) {
        throw std::invalid_argument("CosinePlan: direction " + std::to_string(direction) +
                                    " is neither 1 nor -1");
    }
    const std::lock_guard lock(mutex);
    std::weak_ptr<const CosinePlan>& slot = plans[{length, direction}];
    if (auto plan = slot.lock()) {
        return plan;
    }
    auto plan = std::make_shared<const CosinePlan>(length, direction);
    slot = plan;
    // Plans up to the page sides' squares at 256 are small and asked for at every conversion:
    // they stay, instead of being built again each time.
    static std::vector<std::shared_ptr<const CosinePlan>> kept;
    if (length <= KeptLengthLimit) {
        kept.push_back(plan);
    }
    return plan;
}

CosinePlan::CosinePlan(std::size_t length, int direction) : length(length), direction(direction) {
    const double theta = HalfPi / static_cast<double>(length);
    cosineStart = {std::cos(theta), std::sin(theta)};
    cosineStep = {-2.0 * cosineStart.Imag * cosineStart.Imag, std::sin(2.0 * theta)};
    const double realTheta = Pi / static_cast<double>(length / 2);
    realStep = StepFor(direction == 1 ? realTheta : -realTheta);

    const std::size_t half = length / 2;
    if (length <= LineTableLimit) {
        taper.resize(half);
        Twiddle w = cosineStart;
        for (std::size_t s = 0; s < half; ++s) {
            taper[s] = direction == 1 ? w.Imag : 0.5 / w.Imag;
            Rotate(w, cosineStep);
        }
        rotation.resize(half - 1);
        w = {1.0, 0.0};
        for (Twiddle& r : rotation) {
            Rotate(w, cosineStep);
            r = w;
        }
        real.resize(length / 4 == 0 ? 0 : length / 4 - 1);
        w = {1.0 + realStep.Real, realStep.Imag};
        for (Twiddle& r : real) {
            r = w;
            Rotate(w, realStep);
        }
    }

    // The complex FFT of L/2 values pairs values up to L/4 apart.
    for (std::size_t h = 1; h <= length / 4 && h <= StageTableLimit; h *= 2) {
        largestStage = h;
    }
    stages.resize(largestStage == 0 ? 0 : 2 * largestStage - 1);
    for (std::size_t h = 1; h <= largestStage; h *= 2) {
        const Twiddle step = StageStep(h);
        Twiddle w{1.0, 0.0};
        for (std::size_t m = 0; m < h; ++m) {
            stages[h - 1 + m] = Expanded(w);
            Rotate(w, step);
        }
    }
}

std::span<const CosinePlan::StageTwiddle> CosinePlan::Stage(std::size_t h) const {
    if (h == 0 || h > largestStage || !std::has_single_bit(h)) {
        return {};
    }
    return std::span<const StageTwiddle>(stages).subspan(h - 1, h);
}

CosinePlan::Twiddle CosinePlan::StageStep(std::size_t h) const {
    // The stage spans 2h complex values, 4h doubles; its angle is 2 pi over 2h.
    const double theta = (TwoPi / static_cast<double>(2 * h)) * direction;
    return StepFor(theta);
}
