#include "ThresholdTiles.h"

#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>

std::vector<double> ThresholdTile(std::size_t count, const TileRecipe& recipe,
                                  std::uint64_t variant) {
    std::mt19937_64 random(variant);
    std::normal_distribution<double> normal(0.0, 1.0);
    std::uniform_int_distribution<int> small(-3, 3);
    std::uniform_real_distribution<double> exponent(-40.0, 20.0);
    std::uniform_int_distribution<std::uint64_t> lowBits(0, (std::uint64_t{1} << 40) - 1);
    std::uniform_int_distribution<int> multiple(-recipe.Multiples, recipe.Multiples);
    std::uniform_int_distribution<int> level(0, 6);
    std::uniform_int_distribution<std::int64_t> units(-recipe.Spread, recipe.Spread);
    std::vector<double> tile(count);
    for (double& v : tile) {
        switch (recipe.Kind) {
        case TileKind::Spread:
            v = normal(random) * std::exp2(exponent(random));
            break;
        case TileKind::Ties:
            v = small(random) == 0 ? -0.0 : small(random) * 0.5;
            break;
        case TileKind::Integers:
            v = small(random);
            break;
        case TileKind::Overflowing:
            v = normal(random) * 1e300;
            break;
        case TileKind::Normal:
        case TileKind::WithNaN:
            v = normal(random) * 100.0;
            break;
        case TileKind::NarrowBand:
            v = std::bit_cast<double>(std::bit_cast<std::uint64_t>(1.0) + lowBits(random));
            break;
        case TileKind::Clusters: {
            // The single centre lies clear of a power of two, so that its values share all but
            // their last bits.
            const double centre = recipe.Multiples == 0
                                      ? std::bit_cast<double>(std::uint64_t{0x4008'0000'0000'1040})
                                      : std::ldexp(multiple(random), -level(random));
            const auto bits = static_cast<std::int64_t>(std::bit_cast<std::uint64_t>(centre));
            v = centre == 0.0
                    ? 0.0
                    : std::bit_cast<double>(static_cast<std::uint64_t>(bits + units(random)));
            break;
        }
        }
        v = std::ldexp(v, recipe.Scale);
    }
    if (recipe.Kind == TileKind::Integers && count > 0) {
        tile[0] = 1e6;
    }
    if (recipe.Kind == TileKind::WithNaN && count > 0) {
        tile[count / 2] = std::numeric_limits<double>::quiet_NaN();
    }
    return tile;
}

std::string Describe(const TileRecipe& recipe) {
    std::string name;
    switch (recipe.Kind) {
    case TileKind::Spread:
        name = "Spread";
        break;
    case TileKind::Ties:
        name = "Ties";
        break;
    case TileKind::Integers:
        name = "Integers";
        break;
    case TileKind::Overflowing:
        name = "Overflowing";
        break;
    case TileKind::Normal:
        name = "Normal";
        break;
    case TileKind::WithNaN:
        name = "WithNaN";
        break;
    case TileKind::NarrowBand:
        name = "NarrowBand";
        break;
    case TileKind::Clusters:
        name = "Clusters_spread" + std::to_string(recipe.Spread) + "_multiples" +
               std::to_string(recipe.Multiples);
        break;
    }
    if (recipe.Scale != 0) {
        name += "_scale" + std::string(recipe.Scale < 0 ? "minus" : "") +
                std::to_string(std::abs(recipe.Scale));
    }
    return name;
}
