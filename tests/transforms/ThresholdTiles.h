#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The tiles the threshold tests feed the library and the reference alike.
enum class TileKind {
    // Spread like transform coefficients of an image: normal values times 2^-40 .. 2^20.
    Spread,
    // Many ties and signed zeros: multiples of 0.5 up to 1.5.
    Ties,
    // Small integers and one dominant value.
    Integers,
    // Normal values times 1e300: the energy overflows.
    Overflowing,
    // Normal values times 100.
    Normal,
    // Normal values and one NaN.
    WithNaN,
    // Every value in one narrow band just above 1, all of them different.
    NarrowBand,
    // Clusters of nearly equal values, as wavelets of whole-number pixels give: centres
    // k 2^-level, |k| <= Multiples, level 0 .. 6, or with Multiples 0 one centre near 3 whose
    // values share all but their last bits; every value up to Spread units in the last place
    // from its centre.
    Clusters,
};

struct TileRecipe {
    TileKind Kind = TileKind::Normal;
    int Spread = 0;
    int Multiples = 0;
    // Every value is scaled by 2^Scale.
    int Scale = 0;
};

// count values of the recipe, from the random stream named by variant.
std::vector<double> ThresholdTile(std::size_t count, const TileRecipe& recipe,
                                  std::uint64_t variant);

// The recipe's name and parameters, for failure messages and test names (letters and digits).
std::string Describe(const TileRecipe& recipe);
