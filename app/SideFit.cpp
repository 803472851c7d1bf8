#include "SideFit.h"

#include "ConversionChecks.h"
#include "ImageView.h"
#include "ResultNames.h"
#include "TMainWindow.h"

#include <QImage>

#include <algorithm>
#include <stdexcept>

int FittedSide(const QImage& image) {
    const int covering = CoveringSide(std::max(image.width(), image.height()));
    return std::clamp(covering, TMainWindow::MinimumImageSide, TMainWindow::MaximumImageSide);
}

QStringList FitPageSides(TransformPages& pages, int side, const QImage& picture,
                         const QStringList& captions) {
    if (captions.size() != static_cast<qsizetype>(pages.size())) {
        throw std::invalid_argument("FitPageSides: one caption a page");
    }
    QStringList refusals;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        TransformPage& page = pages[i];
        if (side > page.Image->width()) {
            const QString refusal =
                PageMemoryRefusalAt(page, side, captions[static_cast<qsizetype>(i)], picture);
            if (!refusal.isEmpty()) {
                refusals << refusal;
                continue;
            }
        }
        page.Image->SetControlSize(side, side);
    }
    return refusals;
}
