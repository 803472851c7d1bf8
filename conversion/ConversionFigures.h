#pragma once

// The two figures every front end must form the same way, so that the window, the sweep and the
// batch command agree to the last bit.

// The error fraction of a permitted error in percent: the product with the extended constant
// nearest 0.01, stored as a double (35 gives the double nearest 0.35, which 35 * 0.01 in double
// misses by one unit).
double ErrorFractionOfPercent(double percent);

// The mean of the three channels' kept percentages: the sum and the product with the extended
// constant nearest 1/3 formed in extended precision, stored as a double.
double MeanOfChannels(double red, double green, double blue);
