#include "SaveNames.h"

#include "ConversionResult.h"
#include "PageSettings.h"
#include "ResultNames.h"
#include "TransformPage.h"

namespace {

std::string ImageName(const QString& imagePath) {
    return imagePath.isEmpty() ? std::string("white.bmp") : imagePath.toStdString();
}

} // namespace

QString PageSaveName(const TransformPage& page, TransformKind kind, const QString& imagePath,
                     const TransformOptions& current, ImageFormat format) {
    const ConversionSettings settings =
        page.LastResult ? page.LastResult->Settings : TileSettingsOf(page, current);
    return QString::fromStdString(ResultFileName(ImageName(imagePath), kind, settings.TileCount,
                                                 settings.ErrorPercent, settings.Options, format));
}

QString BestTilesSaveName(const ConversionResult& result, const QString& imagePath,
                          ImageFormat format) {
    const ConversionSettings& settings = result.Settings;
    return QString::fromStdString(ResultFileName(ImageName(imagePath), "BestPerTile",
                                                 settings.TileCount, settings.ErrorPercent,
                                                 settings.Options, format));
}
