#pragma once

#include <QColor>

// Viridis (van der Walt and Smith, matplotlib 2.0): dark blue at 0 through green to yellow at 1,
// evenly bright in steps and readable by people with the common colour blindnesses. t is held to
// 0..1.
QColor Viridis(double t);
