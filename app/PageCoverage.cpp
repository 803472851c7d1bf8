#include "PageCoverage.h"

#include "ImageName.h"
#include "ImageView.h"
#include "SideFit.h"
#include "TransformPage.h"

#include <QImage>
#include <QLabel>

#include <algorithm>
#include <cmath>

namespace {

// ", mostly white padding: ..." when more than half of the square at side is padding around
// loaded and Fit side would make the square smaller; at the fitted side the padding is what
// any power of two needs, and nothing is offered.
QString PaddingNote(const QImage& loaded, int side) {
    const double covered = 100.0 * std::min(loaded.width(), side) *
                           std::min(loaded.height(), side) / (static_cast<double>(side) * side);
    if (covered >= 50.0 || FittedSide(loaded) >= side) {
        return {};
    }
    const QString share =
        covered >= 1.0 ? QString::number(std::floor(covered)) : QString::number(covered, 'g', 1);
    return QStringLiteral(", mostly white padding: the image covers %1 % of the square; View > "
                          "Fit side to image (Ctrl+0)")
        .arg(share);
}

} // namespace

void ShowCoverage(TransformPage& page, const QImage& loaded, const QString& loadedPath) {
    const int side = page.Image->width();
    const int tiles = TilesAt(page);
    QString text;
    if (side / tiles == 0) {
        text = QStringLiteral("Too small for %1 tiles per side: zoom in or choose fewer tiles")
                   .arg(tiles);
    } else if (loaded.isNull()) {
        text = QStringLiteral("Converts a white %1 x %1 square (no image loaded), tiles of %2 px")
                   .arg(side)
                   .arg(side / tiles);
    } else {
        text = QStringLiteral("Converts %1 x %1 of %2 x %3 px, tiles of %4 px")
                   .arg(side)
                   .arg(loaded.width())
                   .arg(loaded.height())
                   .arg(side / tiles) +
               PaddingNote(loaded, side);
    }
    // First, where a narrow page cannot cut it off: a converting page shows the loaded image
    // being converted, any other page its last result until it is reloaded.
    if (page.ShowsResult && page.LastResult && !page.Busy && page.ResultImagePath != loadedPath) {
        text = QStringLiteral("Shows the result of %1; %2")
                   .arg(ImageNameOf(page.ResultImagePath), text.left(1).toLower() + text.mid(1));
    }
    page.CoverageLabel->setText(text);
    const QImage& shown = page.Image->Picture();
    const bool partial = !shown.isNull() && (shown.width() > side || shown.height() > side);
    page.Image->SetOutline(partial ? QRect(0, 0, side, side) : QRect());
}
