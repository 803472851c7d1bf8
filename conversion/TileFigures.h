#pragma once

// What one tile of a conversion kept and how far its pixels moved: the mean over the three
// channels of the tile's kept percentage, and the mean squared error of its pixels inside the
// converted region (NaN for a tile wholly outside the image).
struct TileFigures {
    double KeptPercent = 0.0;
    double Mse = 0.0;
};
