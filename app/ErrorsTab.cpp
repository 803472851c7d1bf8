#include "ErrorsTab.h"

#include "ColorMap.h"
#include "ColorScale.h"
#include "ConversionResult.h"
#include "ExportFile.h"
#include "Guarded.h"
#include "ImageName.h"
#include "OptionsText.h"
#include "Quality.h"
#include "QualityText.h"
#include "ToolButton.h"
#include "ZoomImageView.h"

#include <QBoxLayout>
#include <QBuffer>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QToolButton>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int PanelSpacing = 4;

QColor Grey(double t) {
    const int level = static_cast<int>(std::lround(std::clamp(t, 0.0, 1.0) * 255.0));
    return QColor(level, level, level);
}

// One pixel a tile, row by row; a tile without a colour is transparent (the view hatches it).
QImage TilePicture(int count, const std::vector<QColor>& colors) {
    QImage picture(count, count, QImage::Format_ARGB32);
    for (int row = 0; row < count; ++row) {
        for (int column = 0; column < count; ++column) {
            const QColor& color = colors[static_cast<std::size_t>(row) * count + column];
            picture.setPixel(column, row, color.isValid() ? color.rgba() : qRgba(0, 0, 0, 0));
        }
    }
    return picture;
}

} // namespace

ErrorsTab::ErrorsTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ErrorsTab"));
    title = new QLabel(this);
    title->setObjectName(QStringLiteral("ErrorsTitle"));
    title->setWordWrap(true);

    difference = new ZoomImageView(this);
    difference->setObjectName(QStringLiteral("ErrorsDifferenceImage"));
    difference->SetWholeFactorsWhenFitting(true);
    differenceScale = new ColorScale(this);
    differenceScale->setObjectName(QStringLiteral("ErrorsDifferenceScale"));
    gainBox = new QComboBox(this);
    gainBox->setObjectName(QStringLiteral("ErrorsGainChoice"));
    for (int gain : Gains) {
        gainBox->addItem(QStringLiteral("Gain %1x").arg(gain), gain);
    }
    gainBox->setToolTip(QStringLiteral("Brightens the difference image: with gain g, an error of "
                                       "the largest error / g is white, and larger ones too"));
    exportButton = MakeToolButton(this, "ErrorsExportButton", QStringLiteral("Export PNG..."),
                                  QStringLiteral("Save the difference image as a PNG image, one "
                                                 "pixel per pixel of the image, the gain applied"),
                                  QStyle::SP_DialogSaveButton);

    measureBox = new QComboBox(this);
    measureBox->setObjectName(QStringLiteral("ErrorsTileMeasureBox"));
    measureBox->addItem(QStringLiteral("Tiles by kept %"));
    measureBox->addItem(QStringLiteral("Tiles by PSNR"));
    measureBox->setToolTip(QStringLiteral("What the tile map shows for each tile"));
    tileMap = new ZoomImageView(this);
    tileMap->setObjectName(QStringLiteral("ErrorsTileMap"));
    // Every tile the same whole number of pixels at Fit.
    tileMap->SetWholeFactorsWhenFitting(true);
    tileMap->SetPixelToolTip([this](QPoint pixel) {
        if (mapTileSide <= 0) {
            return QString();
        }
        return mapTileTips.value(pixel.y() / mapTileSide * mapTileCount + pixel.x() / mapTileSide);
    });
    tileScale = new ColorScale(this);
    tileScale->setObjectName(QStringLiteral("ErrorsTileScale"));

    connect(measureBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        SetTileMeasure(index == 1 ? TileMeasure::Psnr : TileMeasure::KeptPercent);
    });
    connect(gainBox, &QComboBox::currentIndexChanged, this, [this] {
        ShowDifference();
        MatchScales();
    });
    connect(exportButton, &QToolButton::clicked, this, Guarded(this, &ErrorsTab::ExportPng));
    difference->installEventFilter(this);
    tileMap->installEventFilter(this);
    // A legend spans the part of its map in view.
    connect(difference, &ZoomImageView::ViewChanged, this, &ErrorsTab::MatchScales);
    connect(tileMap, &ZoomImageView::ViewChanged, this, &ErrorsTab::MatchScales);

    // Each map hugs its legend, its commands above it.
    auto* differenceTitle = new QLabel(QStringLiteral("Difference |error|"), this);
    difference->SetAlignment(Qt::AlignRight | Qt::AlignTop);
    tileMap->SetAlignment(Qt::AlignRight | Qt::AlignTop);
    differenceHead = new QHBoxLayout;
    differenceHead->addWidget(differenceTitle);
    differenceHead->addStretch(1);
    differenceHead->addWidget(gainBox);
    differenceHead->addWidget(exportButton);
    auto* differencePanel = new QGridLayout;
    differencePanel->setHorizontalSpacing(6);
    differencePanel->setVerticalSpacing(PanelSpacing);
    differencePanel->addLayout(differenceHead, 0, 0, 1, 2);
    differencePanel->addWidget(difference, 1, 0);
    differencePanel->addWidget(differenceScale, 1, 1, Qt::AlignTop);
    differencePanel->setRowStretch(1, 1);
    differencePanel->setColumnStretch(0, 1);
    auto* tilePanel = new QGridLayout;
    tilePanel->setHorizontalSpacing(6);
    tilePanel->setVerticalSpacing(PanelSpacing);
    tilePanel->addWidget(measureBox, 0, 0, 1, 2, Qt::AlignRight);
    tilePanel->addWidget(tileMap, 1, 0);
    tilePanel->addWidget(tileScale, 1, 1, Qt::AlignTop);
    tilePanel->setRowStretch(1, 1);
    tilePanel->setColumnStretch(0, 1);

    maps = new QBoxLayout(QBoxLayout::LeftToRight);
    maps->setSpacing(10);
    maps->addLayout(differencePanel, 1);
    maps->addLayout(tilePanel, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(title);
    layout->addLayout(maps, 1);

    Show(QString(), nullptr, QString());
}

void ErrorsTab::SetTileMeasure(TileMeasure measure) {
    const int index = measure == TileMeasure::Psnr ? 1 : 0;
    if (measureBox->currentIndex() != index) {
        measureBox->setCurrentIndex(index);
    }
    ShowTiles();
}

void ErrorsTab::SetGain(int gain) {
    const int index = gainBox->findData(gain);
    if (index < 0) {
        throw std::invalid_argument("ErrorsTab: no gain " + std::to_string(gain));
    }
    gainBox->setCurrentIndex(index);
}

int ErrorsTab::Gain() const {
    return gainBox->currentData().toInt();
}

void ErrorsTab::Show(const QString& pageCaption, std::shared_ptr<const ConversionResult> shown,
                     const QString& path) {
    caption = pageCaption;
    result = std::move(shown);
    imagePath = path;
    ShowTitle();
    ShowDifference();
    ShowTiles();
    Arrange();
}

void ErrorsTab::SetLoadedImage(const QString& path) {
    loadedImage = path;
    ShowTitle();
}

void ErrorsTab::ShowTitle() {
    if (!result) {
        title->setText(caption.isEmpty()
                           ? QStringLiteral("No conversion yet.")
                           : QStringLiteral("No conversion on page \"%1\" yet.").arg(caption));
        title->setToolTip(QString());
        return;
    }
    const ConversionSettings& s = result->Settings;
    const QString options = OptionsCaption(s.Options);
    const QString image =
        imagePath == loadedImage
            ? ImageNameOf(imagePath)
            : QStringLiteral("%1 (not the loaded image)").arg(ImageNameOf(imagePath));
    title->setText(QStringLiteral("%1 of %2: %3 x %4 px, tiles of %5 px, %6%7, %8")
                       .arg(caption, image)
                       .arg(result->RegionWidth)
                       .arg(result->RegionHeight)
                       .arg(s.Side / s.TileCount)
                       .arg(PercentCaption(s.Options.Rule, s.ErrorPercent),
                            options.isEmpty() ? QString() : QStringLiteral(", ") + options,
                            QualityCaption(result->Quality)));
    title->setToolTip(imagePath);
}

void ErrorsTab::ShowDifference() {
    const int gain = Gain();
    difference->setToolTip(
        gain == 1 ? QStringLiteral("Each pixel's largest channel error, scaled so that the "
                                   "largest error of the image is white")
                  : QStringLiteral("Each pixel's largest channel error, scaled so that 1/%1 of "
                                   "the largest error of the image is white; larger errors are "
                                   "white too")
                        .arg(gain));
    exportButton->setEnabled(result != nullptr);
    if (!result) {
        differenceImage = QImage();
        difference->SetPicture(differenceImage);
        differenceScale->SetScale(QString(), QString(), {});
        return;
    }
    const int width = result->RegionWidth;
    const int height = result->RegionHeight;
    const int largest = result->Quality.MaxError;
    // Errors are 0..255: one grey per error, worked out once rather than at every pixel.
    std::array<uchar, 256> grey{};
    for (int error = 0; error < 256; ++error) {
        grey[static_cast<std::size_t>(error)] =
            largest == 0 ? 0 : static_cast<uchar>(std::min(error * 255 * gain / largest, 255));
    }
    QImage image(width, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        const std::uint8_t* errors = result->ErrorMap.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            row[x] = grey[errors[x]];
        }
    }
    differenceImage = image;
    difference->SetPicture(differenceImage);
    // The white level: the largest error over the gain, to four figures.
    differenceScale->SetScale(QStringLiteral("0"), QString::number(double(largest) / gain, 'g', 4),
                              &Grey);
}

void ErrorsTab::ShowTiles() {
    if (!result || result->Tiles.empty()) {
        mapTileCount = 0;
        mapTileSide = 0;
        mapTileTips.clear();
        tileMap->SetPicture(QImage());
        tileMap->SetGridLines(0, QColor());
        tileScale->SetScale(QString(), QString(), {});
        MatchScales();
        return;
    }
    const bool psnr = measureBox->currentIndex() == 1;
    const int count = result->Settings.TileCount;
    const int side = result->Settings.Side / count;
    std::vector<double> values;
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (const TileFigures& tile : result->Tiles) {
        const double v = psnr ? PsnrDb(tile.Mse) : tile.KeptPercent;
        values.push_back(v);
        if (std::isfinite(v) && !std::isnan(tile.Mse)) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    // Kept percentages share one scale on every page; PSNR spans what this image reached.
    if (!psnr) {
        low = 0.0;
        high = 100.0;
    }
    std::vector<QColor> colors;
    QStringList tips;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const TileFigures& tile = result->Tiles[i];
        const int row = static_cast<int>(i) / count;
        const int column = static_cast<int>(i) % count;
        QString tip = QStringLiteral("Tile at (%1, %2)").arg(column * side).arg(row * side);
        if (std::isnan(tile.Mse)) {
            colors.emplace_back();
            tips << tip + QStringLiteral(": outside the image");
            continue;
        }
        const double v = values[i];
        double t = 1.0;
        if (std::isfinite(v) && high > low) {
            t = (v - low) / (high - low);
        }
        colors.push_back(Viridis(t));
        tips << QStringLiteral("%1\nkept %2 %\nPSNR %3")
                    .arg(tip, QString::number(tile.KeptPercent, 'f', 2),
                         std::isinf(PsnrDb(tile.Mse))
                             ? QStringLiteral("identical")
                             : QString::number(PsnrDb(tile.Mse), 'f', 2) + QStringLiteral(" dB"));
    }
    mapTileCount = count;
    mapTileSide = side;
    mapTileTips = std::move(tips);
    tileMap->SetPicture(TilePicture(count, colors), side);
    tileMap->SetGridLines(side, palette().color(QPalette::Window));
    if (psnr) {
        const bool any = std::isfinite(low);
        tileScale->SetScale(any ? QString::number(low, 'f', 1) + QStringLiteral(" dB")
                                : QStringLiteral("identical"),
                            any ? QString::number(high, 'f', 1) + QStringLiteral(" dB")
                                : QStringLiteral("identical"),
                            &Viridis);
    } else {
        tileScale->SetScale(QStringLiteral("0 %"), QStringLiteral("100 %"), &Viridis);
    }
    MatchScales();
}

void ErrorsTab::ExportPng() {
    if (differenceImage.isNull()) {
        return;
    }
    ExportFile(this, QStringLiteral("Export difference image"),
               QStringLiteral("PNG images (*.png)"), QStringLiteral("png"), [this] {
                   QByteArray bytes;
                   QBuffer buffer(&bytes);
                   buffer.open(QIODevice::WriteOnly);
                   differenceImage.save(&buffer, "PNG");
                   return bytes;
               });
}

void ErrorsTab::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Arrange();
    MatchScales();
}

bool ErrorsTab::eventFilter(QObject* watched, QEvent* event) {
    // A change of arrangement resizes the maps after the tab's own resize.
    if ((watched == difference || watched == tileMap) && event->type() == QEvent::Resize) {
        MatchScales();
    }
    return QWidget::eventFilter(watched, event);
}

void ErrorsTab::Arrange() {
    const QMargins margins = layout()->contentsMargins();
    const int width = this->width() - margins.left() - margins.right();
    const int height = this->height() - margins.top() - margins.bottom() -
                       title->heightForWidth(width) - layout()->spacing();
    if (width <= 0 || height <= 0) {
        return;
    }
    // What a panel keeps for its commands above and its legend beside the map.
    const int head = differenceHead->sizeHint().height() + PanelSpacing;
    const int legend = differenceScale->sizeHint().width() + 6;
    const int gap = maps->spacing();
    const QSize region = result ? QSize(result->RegionWidth, result->RegionHeight) : QSize();
    // The difference image at the largest whole factor that leaves the tile map this side.
    constexpr int TileMapSide = 160;
    struct Plan {
        QBoxLayout::Direction Direction;
        int Factor = 0;
        int DifferenceRoom = 0; // the difference panel's width or height
        int TileSide = 0;
    };
    const auto plan = [&](QBoxLayout::Direction direction) {
        const bool beside = direction == QBoxLayout::LeftToRight;
        Plan best{direction};
        for (int factor = 1; !region.isEmpty(); ++factor) {
            const QSize picture = region * factor;
            // A few pixels spare against the layout's rounding.
            const int room = (beside ? picture.width() + legend : picture.height() + head) + 8;
            const int tileSide = beside ? std::min(width - gap - room - legend, height - head)
                                        : std::min(width - legend, height - gap - room - head);
            const bool fits =
                beside ? picture.height() <= height - head : picture.width() <= width - legend;
            if (!fits || tileSide < TileMapSide) {
                break;
            }
            best = Plan{direction, factor, room, tileSide};
        }
        return best;
    };
    const Plan beside = plan(QBoxLayout::LeftToRight);
    const Plan above = plan(QBoxLayout::TopToBottom);
    const bool stacked = above.Factor > beside.Factor ||
                         (above.Factor == beside.Factor && above.TileSide > beside.TileSide) ||
                         (above.Factor == 0 && beside.Factor == 0 && height > width);
    const Plan& chosen = stacked ? above : beside;
    if (maps->direction() != chosen.Direction) {
        maps->setDirection(chosen.Direction);
    }
    // The panels share the room as planned, or half and half when not even a factor of 1
    // leaves the tile map its side.
    const int room = stacked ? height - gap : width - gap;
    const int first = chosen.Factor > 0 ? std::min(chosen.DifferenceRoom, room) : room / 2;
    maps->setStretch(0, std::max(first, 1));
    maps->setStretch(1, std::max(room - first, 1));
}

void ErrorsTab::MatchScales() {
    const int line = fontMetrics().height();
    const QRect picture = difference->PictureRect() & difference->rect();
    differenceScale->setFixedHeight(std::max(picture.height(), 2 * line + 4));
    differenceScale->setVisible(!picture.isEmpty());
    const QRect grid = tileMap->PictureRect() & tileMap->rect();
    tileScale->setFixedHeight(std::max(grid.height(), 2 * line + 4));
    tileScale->setVisible(!grid.isEmpty());
}
