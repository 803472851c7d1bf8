#include "BestTileTab.h"

#include "Application.h"
#include "BestPerTile.h"
#include "ConversionCancelled.h"
#include "ConvertImage.h"
#include "Dialogs.h"
#include "ImageView.h"
#include "ImageZoom.h"
#include "OptionsText.h"
#include "Quality.h"
#include "QualityText.h"
#include "TextOf.h"
#include "Threads.h"
#include "TileMapView.h"
#include "ToolButton.h"
#include "TransformKind.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QScrollArea>
#include <QStyle>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

// Six colours that colour-blind viewers tell apart (Okabe and Ito, "Color Universal Design"):
// the 1D page of a family lighter than its 2D page.
QColor WinnerColor(std::size_t kind) {
    static const QColor colors[] = {QColor(0x56, 0xB4, 0xE9), QColor(0xE6, 0x9F, 0x00),
                                    QColor(0xF0, 0xE4, 0x42), QColor(0x00, 0x72, 0xB2),
                                    QColor(0x00, 0x9E, 0x73), QColor(0xD5, 0x5E, 0x00)};
    return colors[kind % TransformKindCount];
}

QString Caption(std::size_t kind) {
    return TextOf(TransformKinds()[kind].Caption);
}

QString FiguresLine(const ConversionResult& r) {
    return TransformThread::CompressCaption(r.MeanKeptPercent) + QStringLiteral("   ") +
           QualityCaption(r.Quality);
}

bool LikeForLike(const TransformOptions& o) {
    return o.Scaling == DctScaling::Orthonormal && o.Levels == AllWaveletLevels;
}

} // namespace

BestTileTab::BestTileTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("BestTileTab"));
    compareButton =
        MakeToolButton(this, "BestTileButton", QStringLiteral("Compare tiles"),
                       QStringLiteral("Convert the image with all six transforms at the "
                                      "active page's setting and find the best for every "
                                      "tile"),
                       QStyle::SP_MediaPlay);
    stopButton = MakeToolButton(this, "BestTileStopButton", QStringLiteral("Stop"),
                                QStringLiteral("Stop comparing the tiles"), QStyle::SP_MediaStop);
    saveButton = MakeToolButton(this, "BestTileSaveButton", QStringLiteral("Save image..."),
                                QStringLiteral("Save the composed image as BMP or PNG"),
                                QStyle::SP_DialogSaveButton);
    likeButton =
        MakeToolButton(this, "BestTileLikeForLikeButton", QStringLiteral("Compare like for like"),
                       QStringLiteral("Set Like for like (orthonormal DCT, all levels) and "
                                      "compare the tiles again"),
                       QStyle::SP_BrowserReload);
    progress = new QProgressBar(this);
    progress->setObjectName(QStringLiteral("BestTileProgressBar"));
    progress->setRange(0, static_cast<int>(TransformKindCount));
    progress->setValue(0);
    progress->setMaximumHeight(14);
    status = new QLabel(QStringLiteral("Press Compare tiles to find the best transform for every "
                                       "tile at the active page's setting."),
                        this);
    status->setObjectName(QStringLiteral("BestTileStatus"));
    status->setWordWrap(true);
    optionsLine = new QLabel(this);
    optionsLine->setObjectName(QStringLiteral("BestTileOptions"));
    optionsLine->setWordWrap(true);

    map = new TileMapView(this);
    map->setObjectName(QStringLiteral("BestTileMap"));
    map->setMinimumSize(160, 160);
    legend = new QLabel(this);
    legend->setObjectName(QStringLiteral("BestTileLegend"));
    legend->setTextFormat(Qt::RichText);
    legend->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    composedView = new ImageView;
    composedView->setObjectName(QStringLiteral("BestTileImage"));
    composedView->SetControlSize(256, 256);
    auto* box = new QScrollArea(this);
    box->setWidget(composedView);
    box->setWidgetResizable(false);
    box->setAlignment(Qt::AlignCenter);
    box->setMinimumSize(160, 160);
    figures = new QLabel(this);
    figures->setObjectName(QStringLiteral("BestTileFigures"));
    figures->setWordWrap(true);
    figures->setToolTip(QStringLiteral("The kept share does not count the choice of transform "
                                       "itself, about log2 6 = 2.6 bits a tile."));

    connect(compareButton, &QToolButton::clicked, this, &BestTileTab::TilesRequested);
    connect(likeButton, &QToolButton::clicked, this, &BestTileTab::LikeForLikeRequested);
    connect(saveButton, &QToolButton::clicked, this, &BestTileTab::SaveRequested);
    connect(stopButton, &QToolButton::clicked, this, [this] {
        // Asked, not waited for: the thread's end comes back as Finished.
        cancel = true;
        status->setText(QStringLiteral("Stopping..."));
    });
    const auto zoom = [this](Qt::MouseButton button) { ZoomImage(*composedView, button, 8, 8192); };
    connect(composedView, &ImageView::MouseDown, this, zoom);
    connect(composedView, &ImageView::WheelZoom, this, [zoom](int steps) {
        for (int i = 0; i < std::abs(steps); ++i) {
            zoom(steps > 0 ? Qt::LeftButton : Qt::RightButton);
        }
    });

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    buttons->addWidget(compareButton);
    buttons->addWidget(stopButton);
    buttons->addWidget(progress, 1);
    buttons->addWidget(saveButton);
    auto* views = new QGridLayout;
    views->addWidget(map, 0, 0);
    views->addWidget(box, 0, 1);
    views->addWidget(legend, 1, 0);
    views->addWidget(figures, 1, 1);
    views->setColumnStretch(0, 1);
    views->setColumnStretch(1, 1);
    views->setRowStretch(0, 1);
    auto* offer = new QHBoxLayout;
    offer->addWidget(optionsLine, 1);
    offer->addWidget(likeButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(offer);
    layout->addLayout(views, 1);
    layout->addLayout(buttons);
    layout->addWidget(status);
    likeButton->hide();
    UpdateButtons();
}

BestTileTab::~BestTileTab() {
    Cancel();
}

void BestTileTab::Start(const QImage& source, const ConversionSettings& s) {
    Cancel();
    image = source.convertToFormat(QImage::Format_RGB32);
    settings = s;
    cancel = false;
    const int current = ++generation;
    progress->setRange(0, static_cast<int>(TransformKindCount));
    progress->setValue(0);
    status->setText(QStringLiteral("Converting with six transforms at %1 x %1, tiles of %2 px, "
                                   "%3...")
                        .arg(settings.Side)
                        .arg(settings.Side / std::max(settings.TileCount, 1))
                        .arg(PercentCaption(settings.Options.Rule, settings.ErrorPercent)));
    const bool fair = LikeForLike(settings.Options);
    const QString options = OptionsCaption(settings.Options);
    optionsLine->setText(
        fair ? QStringLiteral("Like for like: %1.").arg(options)
             : QStringLiteral("Not like for like (%1): the DCT is unnormalised or D4 one level "
                              "deep, so one error allows the transforms different real errors "
                              "and some tiles are won unfairly.")
                   .arg(options.isEmpty() ? QStringLiteral("the pages' defaults") : options));
    likeButton->setVisible(!fair);

    const QImage picture = image;
    const ConversionSettings conversion = settings;
    thread.reset(QThread::create([this, current, picture, conversion] {
        std::vector<ConversionResult> six;
        std::vector<std::size_t> winners;
        std::shared_ptr<const ConversionResult> composed;
        QString failure;
        try {
            const RgbView view{reinterpret_cast<const std::uint32_t*>(picture.constBits()),
                               picture.width(), picture.height(), picture.bytesPerLine() / 4};
            for (const TransformKindInfo& kind : TransformKinds()) {
                ConversionSettings s = conversion;
                s.Order = kind.TwoDimensional ? ScanOrder::Raster : ScanOrder::Zigzag;
                six.push_back(ConvertImage(view, kind.Kind, s, 0, &cancel));
                const int done = static_cast<int>(six.size());
                QMetaObject::invokeMethod(
                    this,
                    [this, current, done] {
                        if (current == generation) {
                            progress->setValue(done);
                        }
                    },
                    Qt::QueuedConnection);
            }
            winners = TileWinners(six);
            composed = std::make_shared<const ConversionResult>(ComposeBestPerTile(
                six, winners, view, static_cast<std::int32_t>(QThread::idealThreadCount())));
        } catch (const ConversionCancelled&) {
            failure = QStringLiteral("stopped");
        } catch (...) {
            failure = Application::ExceptionText(std::current_exception());
        }
        auto shared = std::make_shared<std::vector<ConversionResult>>(std::move(six));
        auto won = std::make_shared<std::vector<std::size_t>>(std::move(winners));
        QMetaObject::invokeMethod(
            this,
            [this, current, shared, won, composed, failure] {
                if (current == generation) {
                    Finished(std::move(*shared), std::move(*won), composed, failure);
                }
            },
            Qt::QueuedConnection);
    }));
    thread->start();
    UpdateButtons();
}

void BestTileTab::Cancel() {
    if (!thread) {
        return;
    }
    cancel = true;
    thread->wait();
    thread.reset();
    // What the thread still queued belongs to a run that is over.
    ++generation;
    status->setText(QStringLiteral("Stopped."));
    UpdateButtons();
}

void BestTileTab::Finished(std::vector<ConversionResult> six, std::vector<std::size_t> winners,
                           std::shared_ptr<const ConversionResult> composed,
                           const QString& failure) {
    if (thread) {
        thread->wait();
        thread.reset();
    }
    if (!failure.isEmpty()) {
        status->setText(failure == QLatin1String("stopped")
                            ? QStringLiteral("Stopped.")
                            : QStringLiteral("Comparing the tiles failed: %1").arg(failure));
        UpdateButtons();
        if (failure != QLatin1String("stopped")) {
            Dialogs::Current().Message(
                this, QApplication::applicationName(),
                QStringLiteral("Comparing the tiles failed: %1").arg(failure));
        }
        return;
    }
    results = std::move(six);
    winnerOf = std::move(winners);
    best = std::move(composed);
    ShowResult();
    UpdateButtons();
    emit Computed(best);
}

void BestTileTab::ShowResult() {
    const int count = best->Settings.TileCount;
    const std::size_t tiles = winnerOf.size();
    std::vector<QColor> colors(tiles);
    QStringList tips;
    std::vector<int> won(TransformKindCount, 0);
    int inside = 0;
    for (std::size_t t = 0; t < tiles; ++t) {
        const std::size_t w = winnerOf[t];
        const bool inImage = best->Tiles[t].Pixels > 0;
        colors[t] = inImage ? WinnerColor(w) : QColor();
        if (inImage) {
            ++won[w];
            ++inside;
        }
        QString tip = QStringLiteral("Row %1, column %2: %3")
                          .arg(t / count + 1)
                          .arg(t % count + 1)
                          .arg(Caption(w));
        for (std::size_t k = 0; k < results.size(); ++k) {
            const TileFigures& f = results[k].Tiles[t];
            tip += QStringLiteral("\n%1: kept %2 %, PSNR %3")
                       .arg(Caption(k), QString::number(f.KeptPercent, 'f', 2),
                            std::isnan(f.Mse) ? QStringLiteral("n/a")
                                              : PsnrText(PsnrDb(f.Mse)) + QStringLiteral(" dB"));
        }
        tips << tip;
    }
    map->SetTiles(count, colors, tips);

    QString rows;
    for (std::size_t k = 0; k < TransformKindCount; ++k) {
        rows += QStringLiteral("<tr><td style=\"background:%1\">&nbsp;&nbsp;&nbsp;&nbsp;</td>"
                               "<td>&nbsp;%2: %3 of %4 tiles</td></tr>")
                    .arg(WinnerColor(k).name(), Caption(k).toHtmlEscaped())
                    .arg(won[k])
                    .arg(inside);
    }
    legend->setText(QStringLiteral("<table cellspacing=\"2\">") + rows +
                    QStringLiteral("</table>"));

    composedView->SetPicture(ComposedImage());
    composedView->SetControlSize(std::min(best->Settings.Side, 512),
                                 std::min(best->Settings.Side, 512));

    // The best single transform: the lowest Comp, or under the kept rule the highest PSNR.
    std::size_t single = 0;
    const bool keptRule = best->Settings.Options.Rule == KeepRule::Kept;
    for (std::size_t k = 1; k < results.size(); ++k) {
        const ConversionResult& a = results[k];
        const ConversionResult& b = results[single];
        if (keptRule ? a.Quality.PsnrDb > b.Quality.PsnrDb
                     : a.MeanKeptPercent < b.MeanKeptPercent) {
            single = k;
        }
    }
    figures->setText(QStringLiteral("Best per tile: %1\nBest single, %2: %3\nThe kept share does "
                                    "not count the choice of transform (about 2.6 bits a tile).")
                         .arg(FiguresLine(*best), Caption(single), FiguresLine(results[single])));
    status->setText(
        QStringLiteral("%1 tiles of %2 px, %3.")
            .arg(inside)
            .arg(best->Settings.Side / count)
            .arg(PercentCaption(best->Settings.Options.Rule, best->Settings.ErrorPercent)));
}

QImage BestTileTab::ComposedImage() const {
    if (!best) {
        return {};
    }
    QImage composed = image.copy();
    for (int y = 0; y < best->RegionHeight; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(composed.scanLine(y));
        const std::uint32_t* from =
            best->Pixels.data() + static_cast<std::size_t>(y) * best->RegionWidth;
        std::copy(from, from + best->RegionWidth, row);
    }
    return composed;
}

void BestTileTab::UpdateButtons() {
    compareButton->setEnabled(!Running());
    stopButton->setEnabled(Running());
    saveButton->setEnabled(!Running() && best != nullptr);
    likeButton->setEnabled(!Running());
}
