#pragma once

#include <cstdint>
#include <memory>

// One square tile of a channel plane: Width x Height elements in the plane's
// chosen scan order, owned by the tile. Kept as specified, for Transformer.
template <typename T>
struct BitField {
    std::unique_ptr<T[]> Data;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
};
