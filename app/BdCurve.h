#pragma once

#include "RdPoints.h"

#include <QString>

#include <vector>

// One transform's curve as the BD table reads it: its name, its points so far, and whether the
// sweep has made all of them.
struct BdCurve {
    QString Name;
    std::vector<RdPoint> Points;
    bool Complete = false;
};
