#pragma once

#include "ScanOrder.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class Transform;

// The six transforms the program compares, in page order. Everything that names them (the
// window's pages, the sweep, the batch command) takes captions and classes from this table.
enum class TransformKind : std::uint8_t { Dct1D, D4_1D, Haar1D, Dct2D, D4_2D, Haar2D };

inline constexpr std::size_t TransformKindCount = 6;

struct TransformKindInfo {
    TransformKind Kind;
    // The page caption, e.g. "DCT 1D"; also the name the batch command and the sweep use.
    std::string_view Caption;
    // The prefix of the page's component names, e.g. "Fourier".
    std::string_view Prefix;
    // The page image's hint.
    std::string_view Hint;
    // The 2D kinds transform a tile's rows and then its columns, and lay it out in raster order;
    // the others treat it as one vector, in zigzag order.
    bool TwoDimensional;

    ScanOrder Order() const { return TwoDimensional ? ScanOrder::Raster : ScanOrder::Zigzag; }
};

const std::array<TransformKindInfo, TransformKindCount>& TransformKinds();
const TransformKindInfo& Describe(TransformKind kind);
// Lower case without spaces: typed captions are compared so, and "DCT 1D", "dct1d" and
// "Dct 1d" name one page.
std::string FoldedCaption(std::string_view caption);
// The kind whose caption is caption, compared exactly.
std::optional<TransformKind> TransformKindFromCaption(std::string_view caption);

// A new transform object of the kind's class.
std::unique_ptr<Transform> MakeTransform(TransformKind kind);
// A new object of transform's own class when that is one of the six, else null: the extra
// objects a conversion needs to run tiles on several threads.
std::unique_ptr<Transform> CloneTransform(const Transform& transform);
