#include "TransformKind.h"

#include "CosineFFT.h"
#include "CosineFFT2D.h"
#include "Daubechies4DWT.h"
#include "Daubechies4DWT2D.h"
#include "HaarDWT.h"
#include "HaarDWT2D.h"

#include <cctype>
#include <stdexcept>
#include <string>
#include <typeinfo>

namespace {

constexpr std::array<TransformKindInfo, TransformKindCount> Kinds = {{
    {TransformKind::Dct1D, "DCT 1D", "Fourier", "Discrete Cosine Transform", false},
    {TransformKind::D4_1D, "D4 1D", "Daub", "Daubechies Wavelet Transform", false},
    {TransformKind::Haar1D, "Haar 1D", "Haar", "Haar Wavelet Transform", false},
    {TransformKind::Dct2D, "DCT 2D", "Fourier2D", "Discrete Cosine 2D Transform", true},
    {TransformKind::D4_2D, "D4 2D", "Daub2D", "Daubechies Wavelet 2D Transform", true},
    {TransformKind::Haar2D, "Haar 2D", "Haar2D", "Haar Wavelet 2D Transform", true},
}};

} // namespace

const std::array<TransformKindInfo, TransformKindCount>& TransformKinds() {
    return Kinds;
}

const TransformKindInfo& Describe(TransformKind kind) {
    const auto index = static_cast<std::size_t>(kind);
    if (index >= Kinds.size()) {
        throw std::invalid_argument("TransformKind: no kind " + std::to_string(index));
    }
    return Kinds[index];
}

std::optional<TransformKind> TransformKindFromCaption(std::string_view caption) {
    for (const auto& info : Kinds) {
        if (info.Caption == caption) {
            return info.Kind;
        }
    }
    return std::nullopt;
}

std::unique_ptr<Transform> MakeTransform(TransformKind kind) {
    switch (kind) {
    case TransformKind::Dct1D:
        return std::make_unique<CosineFFT>();
    case TransformKind::D4_1D:
        return std::make_unique<Daubechies4DWT>();
    case TransformKind::Haar1D:
        return std::make_unique<HaarDWT>();
    case TransformKind::Dct2D:
        return std::make_unique<CosineFFT2D>();
    case TransformKind::D4_2D:
        return std::make_unique<Daubechies4DWT2D>();
    case TransformKind::Haar2D:
        return std::make_unique<HaarDWT2D>();
    }
    throw std::invalid_argument("MakeTransform: no kind " + std::to_string(static_cast<int>(kind)));
}

std::unique_ptr<Transform> CloneTransform(const Transform& transform) {
    // The exact class: CosineFFT2D is a CosineFFT, but transforms differently.
    const std::type_info& type = typeid(transform);
    for (const auto& info : Kinds) {
        auto candidate = MakeTransform(info.Kind);
        if (typeid(*candidate) == type) {
            return candidate;
        }
    }
    return nullptr;
}

std::string FoldedCaption(std::string_view caption) {
    std::string folded;
    for (char c : caption) {
        if (c != ' ') {
            folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return folded;
}
