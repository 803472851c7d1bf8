#include "TransformPage.h"

#include <QSlider>

#include <stdexcept>
#include <string>

int TilesAt(int gridPosition) {
    // The track bars run from 1 to 6; 31 is as far as an int reaches.
    if (gridPosition < 1 || gridPosition > 31) {
        throw std::invalid_argument("TilesAt: grid position " + std::to_string(gridPosition) +
                                    " is outside 1..31");
    }
    return 1 << (gridPosition - 1);
}

int TilesAt(const TransformPage& page) {
    return TilesAt(page.WinSizeTrackBar->value());
}
