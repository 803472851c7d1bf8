#pragma once

#include "Bjontegaard.h"

#include <string>

// One image's Bjontegaard figures of a curve against its own reference curve. HasReference is
// false when the image has no reference curve at the curve's tiles, colour correction and
// options; Figures then holds only its Note, "no reference curve".
struct ImageBd {
    std::string Image;
    bool HasReference = false;
    BdFigures Figures;
};
