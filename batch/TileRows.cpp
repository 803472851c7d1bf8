#include "TileRows.h"

#include "ResultRow.h"

const std::array<std::string_view, 19>& TileRows::Columns() {
    static const std::array<std::string_view, 19> columns = {"image",
                                                             "transform",
                                                             "side",
                                                             "tile",
                                                             "error_percent",
                                                             "color_correction",
                                                             "tile_column",
                                                             "tile_row",
                                                             "kept_percent",
                                                             "kept_percent_red",
                                                             "kept_percent_green",
                                                             "kept_percent_blue",
                                                             "squared_error_sum",
                                                             "pixels",
                                                             "mse",
                                                             "winner",
                                                             "dct_scaling",
                                                             "levels",
                                                             "rule"};
    return columns;
}

void TileRows::Append(std::vector<std::vector<std::string>>& rows, const std::string& image,
                      std::string_view transform, const ConversionResult& result,
                      const std::vector<bool>* won) {
    const ConversionSettings& s = result.Settings;
    const auto count = static_cast<std::size_t>(s.TileCount);
    for (std::size_t t = 0; t < result.Tiles.size(); ++t) {
        const TileFigures& tile = result.Tiles[t];
        rows.push_back({image, std::string(transform), std::to_string(s.Side),
                        std::to_string(s.Side / s.TileCount), ResultRow::Number(s.ErrorPercent),
                        s.ColorCorrection ? "yes" : "no", std::to_string(t % count),
                        std::to_string(t / count), ResultRow::Number(tile.KeptPercent),
                        ResultRow::Number(tile.ChannelKept[0]),
                        ResultRow::Number(tile.ChannelKept[1]),
                        ResultRow::Number(tile.ChannelKept[2]), std::to_string(tile.SquaredErrors),
                        std::to_string(tile.Pixels), ResultRow::Number(tile.Mse),
                        won ? ((*won)[t] ? "yes" : "no") : "", ScalingName(s.Options.Scaling),
                        LevelsName(s.Options.Levels), RuleName(s.Options.Rule)});
    }
}
