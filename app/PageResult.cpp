#include "PageResult.h"

#include "ConversionFigures.h"
#include "ConversionResult.h"
#include "ImageView.h"
#include "PixelTransfer.h"
#include "ProgressBar.h"
#include "Threads.h"
#include "TileGrid.h"
#include "TransformPage.h"

#include <QCheckBox>
#include <QLabel>

#include <cmath>
#include <stdexcept>

void ShowResultOnPage(TransformPage& page, const QImage& picture, const ConversionResult& result) {
    const int side = result.Settings.Side;
    if (result.Pixels.size() != static_cast<std::size_t>(result.RegionWidth) *
                                    static_cast<std::size_t>(result.RegionHeight)) {
        throw std::invalid_argument("ShowResultOnPage: the result holds no pixels");
    }
    // The steps the worker takes, in its order: the loaded image, the first pixel cleared, the
    // region written, then the grid over it.
    page.Image->SetPicture(picture);
    page.NeedsReload = false;
    Canvas& canvas = page.Image->GetCanvas();
    canvas.SetPixels(0, 0, 0);
    WriteResultPixels(
        canvas, side,
        RgbView{result.Pixels.data(), result.RegionWidth, result.RegionHeight, result.RegionWidth},
        [](int) {});
    if (page.GridBox->isChecked()) {
        DrawTileGrid(canvas, side, side, result.Settings.TileCount);
    }
    const double mean =
        MeanOfChannels(result.KeptPercent[0], result.KeptPercent[1], result.KeptPercent[2]);
    page.CompressLabel->setText(TransformThread::CompressCaption(mean));
    page.CompressBar->SetPosition(std::isfinite(mean) ? static_cast<int>(mean) : 0);
    page.Unsaved = true;
}
