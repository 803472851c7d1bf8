#include "ErrorsTab.h"

#include "ColorMap.h"
#include "ColorScale.h"
#include "ConversionResult.h"
#include "FittedImageView.h"
#include "Guarded.h"
#include "OptionsText.h"
#include "Quality.h"
#include "QualityText.h"
#include "TileMapView.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

QColor Grey(double t) {
    const int level = static_cast<int>(std::lround(std::clamp(t, 0.0, 1.0) * 255.0));
    return QColor(level, level, level);
}

} // namespace

ErrorsTab::ErrorsTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ErrorsTab"));
    title = new QLabel(this);
    title->setObjectName(QStringLiteral("ErrorsTitle"));
    title->setWordWrap(true);

    difference = new FittedImageView(this);
    difference->setObjectName(QStringLiteral("ErrorsDifferenceImage"));
    difference->setToolTip(QStringLiteral("Each pixel's largest channel error, scaled so that "
                                          "the largest error of the image is white"));
    differenceScale = new ColorScale(this);
    differenceScale->setObjectName(QStringLiteral("ErrorsDifferenceScale"));

    measureBox = new QComboBox(this);
    measureBox->setObjectName(QStringLiteral("ErrorsTileMeasureBox"));
    measureBox->addItem(QStringLiteral("Tiles by kept %"));
    measureBox->addItem(QStringLiteral("Tiles by PSNR"));
    measureBox->setToolTip(QStringLiteral("What the tile map shows for each tile"));
    tileMap = new TileMapView(this);
    tileMap->setObjectName(QStringLiteral("ErrorsTileMap"));
    tileScale = new ColorScale(this);
    tileScale->setObjectName(QStringLiteral("ErrorsTileScale"));

    connect(measureBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        SetTileMeasure(index == 1 ? TileMeasure::Psnr : TileMeasure::KeptPercent);
    });

    // The two maps side by side, each hugging its legend.
    auto* differenceTitle = new QLabel(QStringLiteral("Difference |error|"), this);
    difference->SetAlignment(Qt::AlignRight | Qt::AlignTop);
    tileMap->SetAlignment(Qt::AlignRight | Qt::AlignTop);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setHorizontalSpacing(6);
    layout->addWidget(title, 0, 0, 1, 4);
    layout->addWidget(differenceTitle, 1, 0, 1, 2, Qt::AlignRight | Qt::AlignBottom);
    layout->addWidget(measureBox, 1, 2, 1, 2, Qt::AlignRight | Qt::AlignBottom);
    layout->addWidget(difference, 2, 0);
    layout->addWidget(differenceScale, 2, 1, Qt::AlignTop);
    layout->addWidget(tileMap, 2, 2);
    layout->addWidget(tileScale, 2, 3, Qt::AlignTop);
    layout->setRowStretch(2, 1);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(2, 1);

    Show(QString(), nullptr);
}

void ErrorsTab::SetTileMeasure(TileMeasure measure) {
    const int index = measure == TileMeasure::Psnr ? 1 : 0;
    if (measureBox->currentIndex() != index) {
        measureBox->setCurrentIndex(index);
    }
    ShowTiles();
}

void ErrorsTab::Show(const QString& pageCaption, std::shared_ptr<const ConversionResult> shown) {
    caption = pageCaption;
    result = std::move(shown);
    if (!result) {
        title->setText(caption.isEmpty()
                           ? QStringLiteral("No conversion yet.")
                           : QStringLiteral("No conversion on page \"%1\" yet.").arg(caption));
        difference->SetPicture(QImage());
        differenceScale->SetScale(QString(), QString(), {});
        ShowTiles();
        return;
    }
    const ConversionSettings& s = result->Settings;
    const QString options = OptionsCaption(s.Options);
    title->setText(QStringLiteral("%1: %2 x %3 px, tiles of %4 px, %5%6, %7")
                       .arg(caption)
                       .arg(result->RegionWidth)
                       .arg(result->RegionHeight)
                       .arg(s.Side / s.TileCount)
                       .arg(PercentCaption(s.Options.Rule, s.ErrorPercent),
                            options.isEmpty() ? QString() : QStringLiteral(", ") + options,
                            QualityCaption(result->Quality)));

    const int width = result->RegionWidth;
    const int height = result->RegionHeight;
    const int largest = result->Quality.MaxError;
    QImage image(width, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        const std::uint8_t* errors = result->ErrorMap.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            row[x] = largest == 0 ? 0 : static_cast<uchar>(errors[x] * 255 / largest);
        }
    }
    difference->SetPicture(image);
    differenceScale->SetScale(QStringLiteral("0"), QString::number(largest), &Grey);
    ShowTiles();
}

void ErrorsTab::ShowTiles() {
    if (!result || result->Tiles.empty()) {
        tileMap->Clear();
        tileScale->SetScale(QString(), QString(), {});
        MatchScales();
        return;
    }
    const bool psnr = measureBox->currentIndex() == 1;
    const int count = result->Settings.TileCount;
    const int tileSide = result->Settings.Side / count;
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
        QString tip = QStringLiteral("Tile at (%1, %2)").arg(column * tileSide).arg(row * tileSide);
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
    tileMap->SetTiles(count, std::move(colors), tips);
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

void ErrorsTab::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    MatchScales();
}

void ErrorsTab::MatchScales() {
    const int line = fontMetrics().height();
    const QRect picture = difference->PictureRect();
    differenceScale->setFixedHeight(std::max(picture.height(), 2 * line + 4));
    differenceScale->setVisible(!picture.isEmpty());
    const QRect grid = tileMap->GridRect();
    tileScale->setFixedHeight(std::max(grid.height() + 1, 2 * line + 4));
    tileScale->setVisible(!grid.isEmpty());
}
