#include "CurveKey.h"

#include "TransformKind.h"

#include <stdexcept>
#include <tuple>

namespace {

std::size_t Rank(const std::string& transform) {
    const std::optional<std::size_t> rank = CurveKey::TransformRank(transform);
    if (!rank) {
        throw std::invalid_argument("CurveKey: no transform \"" + transform + "\"");
    }
    return *rank;
}

} // namespace

bool CurveKey::operator<(const CurveKey& other) const {
    const auto tied = [](const CurveKey& k) {
        return std::make_tuple(Rank(k.Transform), k.Tiles, k.ColorCorrection, k.Options.Scaling,
                               LevelsRank(k.Options.Levels), k.Options.Rule);
    };
    return tied(*this) < tied(other);
}

std::optional<std::size_t> CurveKey::TransformRank(std::string_view transform) {
    const auto& kinds = TransformKinds();
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        if (kinds[i].Caption == transform) {
            return i;
        }
    }
    if (transform == BestPerTileCaption) {
        return kinds.size();
    }
    return std::nullopt;
}

int CurveKey::LevelsRank(int levels) {
    if (levels == PageLevels) {
        return 0;
    }
    if (levels == AllWaveletLevels) {
        return 1;
    }
    return levels + 1;
}
