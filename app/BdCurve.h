#pragma once

#include "RdPoints.h"

#include <QString>

#include <vector>

// The name of the curve of the best transform for every tile.
inline QString BestPerTileName() {
    return QStringLiteral("Best per tile");
}

// One transform's curve as the BD table reads it: its name, its points so far, and whether the
// sweep has made all of them.
struct BdCurve {
    QString Name;
    std::vector<RdPoint> Points;
    bool Complete = false;
};
