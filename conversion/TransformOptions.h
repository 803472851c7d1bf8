#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class Transform;

// The options that make the transforms' comparison like for like. Their defaults are the pages
// as they were made: an unnormalised DCT, Haar through every level and D4 one step, and the
// permitted-error rule; with every option at its default, results are those of the pages bit
// for bit.
//
// - DctScaling::Orthonormal: the cosine pages choose what to discard on a copy of their
//   coefficients scaled to an orthonormal basis (per axis sqrt(1/N) for the first and sqrt(2/N)
//   for the others; the 1D pages with N = n * n), so that the relative root energy of what is
//   discarded is the tile's relative root error (Parseval). The same positions are then zeroed in
//   the unscaled coefficients; the transforms themselves do not change.
// - Levels: PageLevels (Haar every level, D4 one step), AllWaveletLevels (both through every
//   level they can), or 1 .. MaxWaveletLevels for both. In 2D every row goes through its levels,
//   then every column.
// - KeepRule::Kept: each tile keeps its floor(p count / 100 + 0.5) largest magnitudes, p being
//   the percent of the settings, and reports that many times 100 / count. Under the error rule
//   the figure counts the coefficients ranked ahead of the cut, one fewer than survive when no
//   two magnitudes tie there.
enum class DctScaling : std::uint8_t { Plain, Orthonormal };
enum class KeepRule : std::uint8_t { Error, Kept };

inline constexpr int PageLevels = 0;
inline constexpr int AllWaveletLevels = -1;
inline constexpr int MaxWaveletLevels = 12;

struct TransformOptions {
    DctScaling Scaling = DctScaling::Plain;
    int Levels = PageLevels;
    KeepRule Rule = KeepRule::Error;

    bool operator==(const TransformOptions&) const = default;
    bool IsDefault() const { return *this == TransformOptions{}; }
};

// The options as tarvish-batch spells them: "plain" and "orthonormal"; "page", "all" and "1" to
// "12"; "error" and "kept". Parsing returns nothing for any other text.
std::string ScalingName(DctScaling scaling);
std::string LevelsName(int levels);
std::string RuleName(KeepRule rule);
std::optional<DctScaling> ParseScaling(std::string_view text);
std::optional<int> ParseLevels(std::string_view text);
std::optional<KeepRule> ParseRule(std::string_view text);

// Throws std::invalid_argument for levels other than PageLevels, AllWaveletLevels and
// 1 .. MaxWaveletLevels, or an enumerator out of range.
void CheckOptions(const TransformOptions& options);

// Sets a wavelet transform's levels as the option asks (the Haar and D4 classes; any other
// transform is left as it is).
void ApplyLevels(Transform& transform, int levels);
