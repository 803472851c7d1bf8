#include "PageGrid.h"

#include "ImageView.h"
#include "TileGrid.h"
#include "TransformPage.h"

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QSlider>

void RedrawPageGrid(TransformPage& page, const QImage& loaded) {
    // A page holding an unsaved result keeps it: it is reloaded once the result
    // is saved, or by its next conversion. A converting page keeps the bitmap its
    // conversion writes into.
    if (page.NeedsReload && !page.Unsaved && !page.Busy) {
        // The page shows the loaded image again, without any grid.
        page.Image->SetPicture(loaded);
        page.NeedsReload = false;
        page.ShownGridPosition = 1;
        page.ShowsResult = false;
    }
    const int position = page.WinSizeTrackBar->value();
    const int oldTiles = TilesAt(page.ShownGridPosition);
    const int newTiles = TilesAt(position);
    const int width = page.Image->width();
    const int height = page.Image->height();
    if (page.GridBox->isChecked() && oldTiles != newTiles) {
        DrawTileGrid(page.Image->GetCanvas(), width, height, oldTiles);
        DrawTileGrid(page.Image->GetCanvas(), width, height, newTiles);
        page.ShownGridPosition = position;
    }
    ShowGridSize(page);
}

void ShowGridSize(TransformPage& page) {
    page.WinSizeLabel->setText(
        QStringLiteral("Grid size: %1")
            .arg(page.Image->width() / TilesAt(page.WinSizeTrackBar->value())));
}

void ToggleGrid(TransformPage& page) {
    const int position = page.WinSizeTrackBar->value();
    const int width = page.Image->width();
    DrawTileGrid(page.Image->GetCanvas(), width, width, TilesAt(position));
    page.ShownGridPosition = position;
}
