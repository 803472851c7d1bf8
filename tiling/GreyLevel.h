#pragma once

// The whole grey level 0..255 that a channel value is shown as: 255 or more
// gives 255, below 0 (or NaN) gives 0, anything else is truncated toward zero,
// except that a value within 1e-6 of a whole number counts as that number, so
// rounding noise such as 254.99999999999997 does not cost a level.
int GreyLevel(double v);
