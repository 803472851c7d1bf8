#include "ConversionFigures.h"

double ErrorFractionOfPercent(double percent) {
    return static_cast<double>(static_cast<long double>(percent) * 0.01L);
}

double MeanOfChannels(double red, double green, double blue) {
    const long double sum = static_cast<long double>(red) + green + blue;
    return static_cast<double>(sum * (1.0L / 3.0L));
}
