#include "CurvesTab.h"

#include "Application.h"
#include "BdPanel.h"
#include "ConversionCancelled.h"
#include "CurveTable.h"
#include "Dialogs.h"
#include "ExportFile.h"
#include "Guarded.h"
#include "OptionsText.h"
#include "QualityText.h"
#include "ResultRow.h"
#include "Sweep.h"
#include "TextOf.h"
#include "ToolButton.h"

#include <QApplication>
#include <QAreaSeries>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QProgressBar>
#include <QScatterSeries>
#include <QSplitter>
#include <QStyle>
#include <QSvgGenerator>
#include <QThread>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace {

// One colour per transform family, solid lines for the 2D pages and dashed for the 1D ones,
// so a curve reads as what it is without the legend.
QColor FamilyColor(TransformKind kind) {
    switch (kind) {
    case TransformKind::Dct1D:
    case TransformKind::Dct2D:
        return QColor(0x1f, 0x77, 0xb4);
    case TransformKind::D4_1D:
    case TransformKind::D4_2D:
        return QColor(0x2c, 0xa0, 0x2c);
    case TransformKind::Haar1D:
    case TransformKind::Haar2D:
        return QColor(0xd6, 0x27, 0x28);
    }
    return Qt::black;
}

// The series a set's curve is drawn with: the six pages' in page order, then Best per tile.
std::size_t SeriesOf(const CurveKey& key) {
    return CurveKey::TransformRank(key.Transform).value_or(TransformKindCount);
}

const SampleStatistics& QualityOf(const SetPoint& point, CurvesTab::Measure measure) {
    return measure == CurvesTab::Measure::Ssim ? point.Ssim : point.PsnrDb;
}

double Quality(const SweepPoint& point, CurvesTab::Measure measure) {
    const QualityFigures& q = point.Result.Quality;
    if (measure == CurvesTab::Measure::Ssim) {
        return q.Ssim ? *q.Ssim : std::numeric_limits<double>::quiet_NaN();
    }
    return q.PsnrDb;
}

} // namespace

CurvesTab::CurvesTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CurvesTab"));
    chart = new QChart;
    chart->setObjectName(QStringLiteral("SweepChart"));
    chart->legend()->setAlignment(Qt::AlignBottom);
    // Each entry shows its curve's own line, dashed or solid.
    chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
    chart->setMargins(QMargins(4, 4, 4, 4));
    for (const TransformKindInfo& info : TransformKinds()) {
        auto* line = new QLineSeries(chart);
        line->setName(TextOf(info.Caption));
        // The 1D page of a family in a lighter shade of its colour, dashed, hollow points.
        const QColor color =
            info.TwoDimensional ? FamilyColor(info.Kind) : FamilyColor(info.Kind).lighter(135);
        line->setPen(QPen(color, 2.0, info.TwoDimensional ? Qt::SolidLine : Qt::DashLine));
        auto* mark = new QScatterSeries(chart);
        mark->setMarkerSize(7.0);
        mark->setColor(info.TwoDimensional ? color : QColor(Qt::white));
        mark->setBorderColor(color);
        chart->addSeries(line);
        chart->addSeries(mark);
        lines.push_back(line);
        marks.push_back(mark);
        const std::size_t kind = lines.size() - 1;
        connect(mark, &QScatterSeries::hovered, this,
                [this, kind](const QPointF& at, bool entered) { ShowPointTip(kind, at, entered); });
    }
    // The best transform for every tile at each error: its PSNR comes from the tiles' squared
    // errors, so it has no SSIM.
    bestLine = new QLineSeries(chart);
    bestLine->setName(BestPerTileName());
    bestLine->setPen(QPen(QColor(Qt::black), 2.0, Qt::DotLine));
    bestMarks = new QScatterSeries(chart);
    bestMarks->setMarkerSize(6.0);
    bestMarks->setColor(Qt::black);
    bestMarks->setBorderColor(Qt::black);
    chart->addSeries(bestLine);
    chart->addSeries(bestMarks);
    auto* x = new QLogValueAxis(chart);
    x->setObjectName(QStringLiteral("SweepKeptAxis"));
    x->setBase(10.0);
    x->setLabelFormat(QStringLiteral("%g"));
    x->setMinorTickCount(8);
    x->setTitleText(QStringLiteral("Coefficients kept (%, logarithmic)"));
    auto* y = new QValueAxis(chart);
    y->setObjectName(QStringLiteral("SweepQualityAxis"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        for (QXYSeries* series :
             {static_cast<QXYSeries*>(lines[i]), static_cast<QXYSeries*>(marks[i])}) {
            series->attachAxis(x);
            series->attachAxis(y);
        }
        // The markers belong to their curve: one legend entry each.
        for (QLegendMarker* marker : chart->legend()->markers(marks[i])) {
            marker->setVisible(false);
        }
        for (QLegendMarker* marker : chart->legend()->markers(lines[i])) {
            connect(marker, &QLegendMarker::hovered, this,
                    [this, i](bool entered) { ShowSeriesTip(i, entered); });
        }
    }

    for (QXYSeries* series :
         {static_cast<QXYSeries*>(bestLine), static_cast<QXYSeries*>(bestMarks)}) {
        series->attachAxis(x);
        series->attachAxis(y);
    }
    for (QLegendMarker* marker : chart->legend()->markers(bestMarks)) {
        marker->setVisible(false);
    }
    for (QLegendMarker* marker : chart->legend()->markers(bestLine)) {
        connect(marker, &QLegendMarker::hovered, this,
                [this](bool entered) { ShowSeriesTip(lines.size(), entered); });
    }
    leftOut.assign(lines.size() + 1, 0);

    // A set's bands, under the curves, in each curve's colour.
    for (std::size_t i = 0; i <= lines.size(); ++i) {
        auto* band = new QAreaSeries(new QLineSeries(chart), new QLineSeries(chart));
        const QColor line = i < lines.size() ? lines[i]->pen().color() : QColor(Qt::black);
        QColor fill = line;
        fill.setAlpha(i < lines.size() ? 45 : 30);
        band->setBrush(fill);
        band->setPen(Qt::NoPen);
        band->setName((i < lines.size() ? lines[i]->name() : BestPerTileName()) +
                      QStringLiteral(" middle half"));
        chart->addSeries(band);
        band->attachAxis(x);
        band->attachAxis(y);
        for (QLegendMarker* marker : chart->legend()->markers(band)) {
            marker->setVisible(false);
        }
        bands.push_back(band);
    }

    // A taller or shorter plot has room for more or fewer labels.
    connect(chart, &QChart::plotAreaChanged, this, [this] { Plot(); });
    chartView = new QChartView(chart, this);
    chartView->setObjectName(QStringLiteral("SweepChart"));
    chartView->setRenderHint(QPainter::Antialiasing);
    chartView->setMinimumSize(240, 200);
    chartView->viewport()->installEventFilter(this);

    measureBox = new QComboBox(this);
    measureBox->setObjectName(QStringLiteral("SweepMeasureBox"));
    measureBox->addItem(QStringLiteral("PSNR (dB)"));
    measureBox->addItem(QStringLiteral("SSIM"));
    measureBox->setToolTip(QStringLiteral("The quality the curves show"));
    sweepButton =
        MakeToolButton(this, "SweepButton", QStringLiteral("Sweep"),
                       QStringLiteral("Convert the image with all six transforms at 15 "
                                      "permitted errors, at the active page's image size, "
                                      "tiles and colour correction"),
                       QStyle::SP_MediaPlay);
    cancelButton = MakeToolButton(this, "SweepCancelButton", QStringLiteral("Cancel"),
                                  QStringLiteral("Stop the sweep; the points so far stay"),
                                  QStyle::SP_MediaStop);
    csvButton = MakeToolButton(this, "SweepExportCsvButton", QStringLiteral("CSV..."),
                               QStringLiteral("Save the sweep's figures as a CSV file"),
                               QStyle::SP_DialogSaveButton);
    pngButton = MakeToolButton(this, "SweepExportPngButton", QStringLiteral("PNG..."),
                               QStringLiteral("Save the chart as a PNG image"),
                               QStyle::SP_DialogSaveButton);
    svgButton = MakeToolButton(this, "SweepExportSvgButton", QStringLiteral("SVG..."),
                               QStringLiteral("Save the chart as an SVG drawing, for papers"),
                               QStyle::SP_DialogSaveButton);
    groupChoice = new QComboBox(this);
    groupChoice->setObjectName(QStringLiteral("ResultsGroupChoice"));
    groupChoice->setToolTip(QStringLiteral("The tile count, colour correction and options of the "
                                           "curves shown"));
    groupChoice->hide();
    progress = new QProgressBar(this);
    progress->setObjectName(QStringLiteral("SweepProgressBar"));
    progress->setRange(0, 1);
    progress->setValue(0);
    progress->setMaximumHeight(14);
    status =
        new QLabel(QStringLiteral("Press Sweep to draw the curves of the loaded image."), this);
    status->setObjectName(QStringLiteral("SweepStatus"));
    status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);

    connect(sweepButton, &QToolButton::clicked, this, &CurvesTab::SweepRequested);
    connect(cancelButton, &QToolButton::clicked, this, [this] {
        // Asked, not waited for: the thread's end comes back as Finished.
        cancel = true;
        status->setText(QStringLiteral("Stopping..."));
    });
    connect(csvButton, &QToolButton::clicked, this, Guarded(this, &CurvesTab::ExportCsv));
    connect(pngButton, &QToolButton::clicked, this, Guarded(this, &CurvesTab::ExportPng));
    connect(svgButton, &QToolButton::clicked, this, Guarded(this, &CurvesTab::ExportSvg));
    connect(groupChoice, &QComboBox::currentIndexChanged, this, [this] {
        Plot();
        UpdateBd();
    });
    connect(measureBox, &QComboBox::currentIndexChanged, this, [this] { Plot(); });

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    buttons->addWidget(sweepButton);
    buttons->addWidget(cancelButton);
    buttons->addWidget(progress, 1);
    buttons->addWidget(measureBox);
    buttons->addWidget(csvButton);
    buttons->addWidget(pngButton);
    buttons->addWidget(svgButton);
    bd = new BdPanel(this);
    // The chart above, the BD table under it; the user may give either more room.
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(chartView);
    split->addWidget(bd);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 0);
    split->setChildrenCollapsible(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);
    // A set's group beside the status line, so that the buttons need no more width.
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(status, 1);
    statusRow->addWidget(groupChoice);
    layout->addLayout(statusRow);
    Plot();
    UpdateButtons();
}

CurvesTab::~CurvesTab() {
    Cancel();
}

void CurvesTab::Start(const QImage& source, const QString& name, const SweepSettings& s) {
    Cancel();
    // The curves shown stay until the first point: a sweep stopped before it leaves them.
    pending = Started{source.convertToFormat(QImage::Format_RGB32), name, s};
    cancel = false;
    const int current = ++generation;
    const std::size_t total = s.Kinds.size() * s.ErrorPercents.size();
    progress->setRange(0, static_cast<int>(total));
    progress->setValue(0);
    const QString options = OptionsCaption(s.Options);
    status->setText(QStringLiteral("Sweeping %1 x %1, tiles of %2 px%3...")
                        .arg(s.Side)
                        .arg(s.Side / std::max(s.TileCount, 1))
                        .arg(options.isEmpty() ? QString() : QStringLiteral(", ") + options));

    // The thread works on its own reference to the picture and its own settings.
    const QImage picture = pending->Image;
    const SweepSettings sweepSettings = s;
    thread.reset(QThread::create([this, current, picture, sweepSettings] {
        QString failure;
        try {
            const Sweep sweep(sweepSettings);
            const RgbView view{reinterpret_cast<const std::uint32_t*>(picture.constBits()),
                               picture.width(), picture.height(), picture.bytesPerLine() / 4};
            sweep.Run(
                view, 0,
                [this, current](SweepPoint&& point, std::size_t done, std::size_t count) {
                    auto shared = std::make_shared<SweepPoint>(std::move(point));
                    QMetaObject::invokeMethod(
                        this,
                        [this, current, shared, done, count] {
                            if (current == generation) {
                                AddPoint(std::move(*shared), done, count);
                            }
                        },
                        Qt::QueuedConnection);
                },
                &cancel);
        } catch (const ConversionCancelled&) {
            failure = QStringLiteral("stopped");
        } catch (...) {
            failure = Application::ExceptionText(std::current_exception());
        }
        QMetaObject::invokeMethod(
            this,
            [this, current, failure] {
                if (current == generation) {
                    Finished(failure);
                }
            },
            Qt::QueuedConnection);
    }));
    thread->start();
    UpdateBd();
    UpdateButtons();
}

void CurvesTab::Cancel() {
    if (!thread) {
        return;
    }
    cancel = true;
    thread->wait();
    thread.reset();
    // What the thread still queued belongs to a sweep that is over.
    ++generation;
    status->setText(StoppedText());
    pending.reset();
    UpdateBd();
    UpdateButtons();
}

QString CurvesTab::StoppedText() const {
    if (!pending) {
        return QStringLiteral("Stopped after %1 of %2 points.")
            .arg(points.size())
            .arg(progress->maximum());
    }
    return points.empty() && !set ? QStringLiteral("Stopped before the first point.")
                                  : QStringLiteral("Stopped before the first point; the curves "
                                                   "shown are the earlier ones.");
}

void CurvesTab::Adopt() {
    set.reset();
    groupChoice->hide();
    image = std::move(pending->Image);
    imageName = std::move(pending->ImageName);
    settings = std::move(pending->Settings);
    pending.reset();
    points.clear();
    bestCurve.assign(settings.ErrorPercents.size(), std::nullopt);
    chart->setTitle(SweepTitle());
}

QString CurvesTab::SweepTitle() const {
    const QString options = OptionsCaption(settings.Options);
    return QStringLiteral("%1%2 x %2 px, tiles of %3 px: %4 %5 at %6 %7%8%9")
        .arg(imageName.isEmpty() ? QString() : imageName + QStringLiteral(", "))
        .arg(settings.Side)
        .arg(settings.Side / std::max(settings.TileCount, 1))
        .arg(settings.Kinds.size())
        .arg(settings.Kinds.size() == 1 ? QStringLiteral("transform")
                                        : QStringLiteral("transforms"))
        .arg(settings.ErrorPercents.size())
        .arg(settings.Options.Rule == KeepRule::Kept
                 ? (settings.ErrorPercents.size() == 1 ? QStringLiteral("kept share")
                                                       : QStringLiteral("kept shares"))
                 : (settings.ErrorPercents.size() == 1 ? QStringLiteral("error")
                                                       : QStringLiteral("errors")))
        .arg(settings.ColorCorrection ? QStringLiteral(", colour correction") : QString())
        .arg(options.isEmpty() ? QString() : QStringLiteral(", ") + options);
}

QString CurvesTab::SeriesTip(std::size_t series) const {
    if (series > lines.size()) {
        throw std::invalid_argument("CurvesTab: no series " + std::to_string(series));
    }
    QString tip = series < lines.size()
                      ? lines[series]->name()
                      : QStringLiteral("The best transform for every tile at each error. Its PSNR "
                                       "comes from the tiles' squared errors; it has no SSIM "
                                       "curve. Its kept share does not count the choice of "
                                       "transform (about 2.6 bits a tile).");
    const std::size_t out = leftOut[series];
    tip += QStringLiteral("\nPoints that keep 0 % are left out of the logarithmic axis%1; the CSV "
                          "has every point.")
               .arg(out == 0   ? QString()
                    : out == 1 ? QStringLiteral(" (1 of this curve)")
                               : QStringLiteral(" (%1 of this curve)").arg(out));
    return tip;
}

void CurvesTab::ShowSeriesTip(std::size_t series, bool entered) {
    if (!entered) {
        hoveredTip.clear();
        QToolTip::hideText();
        return;
    }
    hoveredTip = SeriesTip(series);
    QToolTip::showText(QCursor::pos(), hoveredTip, chartView);
}

void CurvesTab::OpenResults(const QStringList& paths) {
    Cancel();
    cancel = false;
    const int current = ++generation;
    progress->setRange(0, 0);
    status->setText(paths.size() == 1 ? QStringLiteral("Reading %1...").arg(paths.front())
                                      : QStringLiteral("Reading %1 files...").arg(paths.size()));
    // The thread reads its own copy of the names and hands back the set, or why there is none.
    thread.reset(QThread::create([this, current, paths] {
        std::shared_ptr<const ResultsSet> loaded;
        QString failure;
        try {
            loaded = std::make_shared<const ResultsSet>(ResultsSet::Load(paths));
        } catch (...) {
            failure = Application::ExceptionText(std::current_exception());
        }
        QMetaObject::invokeMethod(
            this,
            [this, current, loaded, failure] {
                if (current != generation) {
                    return;
                }
                if (thread) {
                    thread->wait();
                    thread.reset();
                }
                progress->setRange(0, 1);
                progress->setValue(loaded ? 1 : 0);
                if (loaded) {
                    ShowSet(loaded);
                    return;
                }
                status->setText(QStringLiteral("Cannot open the results: %1").arg(failure));
                UpdateButtons();
                Dialogs::Current().Message(
                    this, QApplication::applicationName(),
                    QStringLiteral("Cannot open the results: %1").arg(failure));
            },
            Qt::QueuedConnection);
    }));
    thread->start();
    UpdateButtons();
}

void CurvesTab::ShowSet(std::shared_ptr<const ResultsSet> loaded) {
    set = std::move(loaded);
    points.clear();
    bestCurve.clear();
    {
        const QSignalBlocker blocker(groupChoice);
        groupChoice->clear();
        for (const CurveKey& group : set->Groups()) {
            groupChoice->addItem(ResultsSet::GroupName(group));
        }
        groupChoice->setCurrentIndex(0);
    }
    groupChoice->setVisible(set->Groups().size() > 1);
    std::size_t images = 0;
    for (const CurveKey& group : set->Groups()) {
        images = std::max(images, set->ImageCount(group));
    }
    status->setText(
        QStringLiteral("Rows of %1 %2: %3 images, %4 %5.")
            .arg(set->Files().size())
            .arg(set->Files().size() == 1 ? QStringLiteral("file") : QStringLiteral("files"))
            .arg(images)
            .arg(set->Groups().size())
            .arg(set->Groups().size() == 1 ? QStringLiteral("group of curves")
                                           : QStringLiteral("groups of curves")));
    Plot();
    UpdateBd();
    UpdateButtons();
}

CurveKey CurvesTab::Group() const {
    const int index = std::max(groupChoice->currentIndex(), 0);
    return set->Groups().at(static_cast<std::size_t>(index));
}

void CurvesTab::AddPoint(SweepPoint point, std::size_t done, std::size_t total) {
    if (pending) {
        Adopt();
    }
    const double percent = point.ErrorPercent();
    points.push_back(std::move(point));
    for (std::size_t e = 0; e < settings.ErrorPercents.size(); ++e) {
        if (settings.ErrorPercents[e] == percent && !bestCurve[e]) {
            bestCurve[e] = BestPerTilePoint(points, settings, e);
        }
    }
    progress->setRange(0, static_cast<int>(total));
    progress->setValue(static_cast<int>(done));
    Plot();
    UpdateBd();
    UpdateButtons();
}

void CurvesTab::Finished(const QString& failure) {
    if (thread) {
        thread->wait();
        thread.reset();
    }
    // A sweep stopped or failed before its first point leaves the curves shown; one that
    // completed without any shows none.
    if (pending && failure.isEmpty()) {
        Adopt();
        Plot();
    }
    if (failure == QLatin1String("stopped")) {
        status->setText(StoppedText());
    }
    pending.reset();
    UpdateBd();
    if (failure.isEmpty()) {
        const QString options = OptionsCaption(settings.Options);
        status->setText(QStringLiteral("%1 points: %2 transforms at %3 %4%5.")
                            .arg(points.size())
                            .arg(settings.Kinds.size())
                            .arg(settings.ErrorPercents.size())
                            .arg(settings.Options.Rule == KeepRule::Kept
                                     ? QStringLiteral("kept shares")
                                     : QStringLiteral("errors"),
                                 options.isEmpty() ? QString() : QStringLiteral(", ") + options));
    } else if (failure != QLatin1String("stopped")) {
        status->setText(QStringLiteral("The sweep failed: %1").arg(failure));
    }
    UpdateButtons();
    if (!failure.isEmpty() && failure != QLatin1String("stopped")) {
        Dialogs::Current().Message(this, QApplication::applicationName(),
                                   QStringLiteral("The sweep failed: %1").arg(failure));
    }
}

void CurvesTab::UpdateBd() {
    if (set) {
        bd->SetRows(set->RowsOf(Group()));
        return;
    }
    std::vector<BdCurve> curves;
    for (TransformKind kind : settings.Kinds) {
        BdCurve curve;
        curve.Name = TextOf(Describe(kind).Caption);
        for (const SweepPoint& p : points) {
            if (p.Kind == kind) {
                curve.Points.push_back({p.Result.MeanKeptPercent, p.Result.Quality.PsnrDb});
            }
        }
        curve.Complete = curve.Points.size() == settings.ErrorPercents.size();
        curves.push_back(std::move(curve));
    }
    if (settings.Kinds.size() == TransformKindCount) {
        BdCurve best;
        best.Name = BestPerTileName();
        best.Complete = true;
        for (const auto& figures : bestCurve) {
            if (figures) {
                best.Points.push_back({figures->MeanKeptPercent, figures->PsnrDb});
            }
            best.Complete = best.Complete && figures.has_value();
        }
        curves.push_back(std::move(best));
    }
    // Before the first sweep there is nothing to compare; until its first point a sweep leaves
    // the curves shown as they were.
    if (points.empty() && !thread) {
        curves.clear();
    }
    bd->SetCurves(std::move(curves), thread != nullptr && !(pending && !points.empty()));
}

void CurvesTab::UpdateButtons() {
    sweepButton->setEnabled(!Running());
    cancelButton->setEnabled(Running());
    const bool shown = !points.empty() || set;
    csvButton->setEnabled(shown);
    pngButton->setEnabled(shown);
    svgButton->setEnabled(shown);
}

void CurvesTab::SetMeasure(Measure measure) {
    measureBox->setCurrentIndex(measure == Measure::Ssim ? 1 : 0);
}

void CurvesTab::Plot() {
    const Measure measure = measureBox->currentIndex() == 1 ? Measure::Ssim : Measure::Psnr;
    if (set) {
        PlotSet(measure);
        return;
    }
    for (QAreaSeries* band : bands) {
        band->upperSeries()->clear();
        band->lowerSeries()->clear();
    }
    // A logarithmic axis has no 0: a point that kept nothing is left out, or it would sit at
    // the axis' lowest decade joined to the others by long lines.
    std::vector<QList<QPointF>> xy(lines.size() + 1);
    leftOut.assign(lines.size() + 1, 0);
    const auto add = [&](std::size_t series, double kept, double quality) {
        if (!std::isfinite(quality)) {
            return;
        }
        if (kept > 0.0) {
            xy[series].append(QPointF(kept, quality));
        } else {
            ++leftOut[series];
        }
    };
    for (const SweepPoint& p : points) {
        if (static_cast<std::size_t>(p.Kind) < lines.size()) {
            add(static_cast<std::size_t>(p.Kind), p.Result.MeanKeptPercent, Quality(p, measure));
        }
    }
    if (measure == Measure::Psnr) {
        for (const auto& figures : bestCurve) {
            if (figures) {
                add(lines.size(), figures->MeanKeptPercent, figures->PsnrDb);
            }
        }
    }
    double smallest = 1.0;
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (std::size_t i = 0; i < xy.size(); ++i) {
        for (const QPointF& at : xy[i]) {
            smallest = std::min(smallest, at.x());
            low = std::min(low, at.y());
            high = std::max(high, at.y());
        }
        QLineSeries* line = i < lines.size() ? lines[i] : bestLine;
        QScatterSeries* mark = i < marks.size() ? marks[i] : bestMarks;
        line->replace(xy[i]);
        mark->replace(xy[i]);
    }
    SetAxes(std::pow(10.0, std::floor(std::log10(smallest))), low, high, measure);
}

void CurvesTab::PlotSet(Measure measure) {
    const CurveKey group = Group();
    const std::vector<SetCurve> curves = set->CurvesOf(group);
    // As for a sweep, means of 0 % kept are left out of the logarithmic axis.
    double smallest = 1.0;
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    std::vector<QList<QPointF>> means(bands.size());
    std::vector<QList<QPointF>> upper(bands.size());
    std::vector<QList<QPointF>> lower(bands.size());
    leftOut.assign(bands.size(), 0);
    for (const SetCurve& curve : curves) {
        const std::size_t series = SeriesOf(curve.Key);
        for (const SetPoint& point : curve.Points) {
            const SampleStatistics& q = QualityOf(point, measure);
            if (!std::isfinite(q.Mean)) {
                continue;
            }
            const double kept = point.KeptPercent.Mean;
            if (!(kept > 0.0)) {
                ++leftOut[series];
                continue;
            }
            smallest = std::min(smallest, kept);
            for (double value : {q.P25, q.P75, q.Mean}) {
                if (std::isfinite(value)) {
                    low = std::min(low, value);
                    high = std::max(high, value);
                }
            }
            means[series].append(QPointF(kept, q.Mean));
            upper[series].append(QPointF(kept, q.P75));
            lower[series].append(QPointF(kept, q.P25));
        }
    }
    for (std::size_t i = 0; i < bands.size(); ++i) {
        QLineSeries* line = i < lines.size() ? lines[i] : bestLine;
        QScatterSeries* mark = i < marks.size() ? marks[i] : bestMarks;
        line->replace(means[i]);
        mark->replace(means[i]);
        bands[i]->upperSeries()->replace(upper[i]);
        bands[i]->lowerSeries()->replace(lower[i]);
    }
    const std::size_t images = set->ImageCount(group);
    chart->setTitle(QStringLiteral("%1 %2, %3: means, bands from the 25th to the 75th "
                                   "percentile")
                        .arg(images)
                        .arg(images == 1 ? QStringLiteral("image") : QStringLiteral("images"),
                             ResultsSet::GroupName(group)));
    SetAxes(std::pow(10.0, std::floor(std::log10(smallest))), low, high, measure);
}

void CurvesTab::SetAxes(double floorKept, double low, double high, Measure measure) {
    auto* x = static_cast<QLogValueAxis*>(chart->axes(Qt::Horizontal).constFirst());
    auto* y = static_cast<QValueAxis*>(chart->axes(Qt::Vertical).constFirst());
    x->setRange(floorKept, 100.0);
    // A range of whole steps, ticks on every step.
    const double step = measure == Measure::Ssim ? 0.1 : 5.0;
    const double bottom = std::isfinite(low) ? std::floor(low / step) * step : 0.0;
    const double top = measure == Measure::Ssim
                           ? 1.0
                           : (std::isfinite(high) ? std::ceil(high / step) * step : 60.0);
    y->setTitleText(measure == Measure::Ssim ? QStringLiteral("SSIM")
                                             : QStringLiteral("PSNR (dB)"));
    y->setLabelFormat(measure == Measure::Ssim ? QStringLiteral("%.1f") : QStringLiteral("%.0f"));
    y->setRange(bottom, std::max(top, bottom + step));
    y->setTickType(QValueAxis::TicksDynamic);
    y->setTickAnchor(0.0);
    // Whole steps, as many as the plot's height has room for labels.
    const double room = chart->plotArea().height() / (2.0 * fontMetrics().height());
    const double steps = (top - bottom) / step;
    const int every = room >= 1.0 ? std::max(1, static_cast<int>(std::ceil(steps / room))) : 2;
    y->setTickInterval(step * (every > 1 ? std::max(2, every) : (steps > 12 ? 2 : 1)));
}

void CurvesTab::ShowPointTip(std::size_t kind, const QPointF& at, bool entered) {
    if (!entered) {
        hoveredTip.clear();
        QToolTip::hideText();
        return;
    }
    const Measure measure = measureBox->currentIndex() == 1 ? Measure::Ssim : Measure::Psnr;
    if (set) {
        ShowSetTip(kind, at, measure);
        return;
    }
    const SweepPoint* nearest = nullptr;
    double distance = std::numeric_limits<double>::infinity();
    for (const SweepPoint& p : points) {
        if (static_cast<std::size_t>(p.Kind) != kind) {
            continue;
        }
        const double dx = std::log10(std::max(p.Result.MeanKeptPercent, 1e-9)) -
                          std::log10(std::max(at.x(), 1e-9));
        const double dy = Quality(p, measure) - at.y();
        const double d = dx * dx + dy * dy;
        if (d < distance) {
            distance = d;
            nearest = &p;
        }
    }
    if (!nearest) {
        return;
    }
    const ConversionResult& r = nearest->Result;
    const TransformOptions& options = r.Settings.Options;
    hoveredTip =
        QStringLiteral("%1\n%2 %3 %\nkept %4 %\nPSNR %5\nSSIM %6")
            .arg(TextOf(Describe(nearest->Kind).Caption),
                 options.Rule == KeepRule::Kept ? QStringLiteral("keep") : QStringLiteral("error"),
                 QString::number(nearest->ErrorPercent(), 'g', 6),
                 QString::number(r.MeanKeptPercent, 'f', 3),
                 std::isfinite(r.Quality.PsnrDb)
                     ? PsnrText(r.Quality.PsnrDb) + QStringLiteral(" dB")
                     : PsnrText(r.Quality.PsnrDb),
                 SsimText(r.Quality.Ssim, 4));
    if (const QString made = OptionsCaption(options); !made.isEmpty()) {
        hoveredTip += QStringLiteral("\n") + made;
    }
    QToolTip::showText(QCursor::pos(), hoveredTip, chartView);
}

bool CurvesTab::eventFilter(QObject* watched, QEvent* event) {
    // The chart view would hide any tooltip its items do not carry themselves.
    if (watched == chartView->viewport() && event->type() == QEvent::ToolTip &&
        !hoveredTip.isEmpty()) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), hoveredTip, chartView);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CurvesTab::ShowSetTip(std::size_t kind, const QPointF& at, Measure measure) {
    const SetCurve* curve = nullptr;
    const SetPoint* nearest = nullptr;
    double distance = std::numeric_limits<double>::infinity();
    const std::vector<SetCurve> curves = set->CurvesOf(Group());
    for (const SetCurve& c : curves) {
        if (SeriesOf(c.Key) != kind) {
            continue;
        }
        for (const SetPoint& p : c.Points) {
            const double dx =
                std::log10(std::max(p.KeptPercent.Mean, 1e-9)) - std::log10(std::max(at.x(), 1e-9));
            const double dy = QualityOf(p, measure).Mean - at.y();
            if (dx * dx + dy * dy < distance) {
                distance = dx * dx + dy * dy;
                curve = &c;
                nearest = &p;
            }
        }
    }
    if (!nearest) {
        return;
    }
    const SampleStatistics& q = QualityOf(*nearest, measure);
    const bool ssim = measure == Measure::Ssim;
    const auto shown = [ssim](double value) {
        return ssim ? QString::number(value, 'f', 4) : QString::number(value, 'f', 2);
    };
    hoveredTip = QStringLiteral("%1\n%2 %3 %\nkept %4 % (mean of %5 images)\n%6 %7 (mean; "
                                "middle half %8 to %9)")
                     .arg(QString::fromStdString(curve->Key.Transform),
                          curve->Key.Options.Rule == KeepRule::Kept ? QStringLiteral("keep")
                                                                    : QStringLiteral("error"),
                          QString::number(nearest->ErrorPercent, 'g', 6),
                          QString::number(nearest->KeptPercent.Mean, 'f', 3),
                          QString::number(nearest->KeptPercent.Count),
                          ssim ? QStringLiteral("SSIM") : QStringLiteral("PSNR"),
                          shown(q.Mean) + (ssim ? QString() : QStringLiteral(" dB")), shown(q.P25),
                          shown(q.P75));
    if (!ssim && nearest->PsnrInfinite > 0) {
        hoveredTip +=
            QStringLiteral("\n%1 unchanged (infinite PSNR), left out").arg(nearest->PsnrInfinite);
    }
    QToolTip::showText(QCursor::pos(), hoveredTip, chartView);
}

QString CurvesTab::Csv() const {
    if (set) {
        // Every group's curves, as tarvish-summary writes them.
        QStringList table;
        QStringList names;
        for (std::string_view column : CurveTable::Columns()) {
            names << TextOf(column);
        }
        table << names.join(',');
        for (const auto& row : CurveTable::Rows(set->Curves())) {
            QStringList fields;
            for (const std::string& field : row) {
                fields << QString::fromStdString(ResultRow::Quoted(field));
            }
            table << fields.join(',');
        }
        return table.join('\n') + '\n';
    }
    QStringList lines;
    QStringList header;
    for (std::string_view column : ResultRow::Columns()) {
        header << TextOf(column);
    }
    lines << header.join(',');
    const std::string name = imageName.toStdString();
    for (const SweepPoint& p : points) {
        QStringList fields;
        for (const std::string& field : ResultRow::Fields(name, image.width(), image.height(), p)) {
            fields << QString::fromStdString(ResultRow::Quoted(field));
        }
        lines << fields.join(',');
    }
    return lines.join('\n') + '\n';
}

void CurvesTab::ExportSvg() {
    ExportFile(this, QStringLiteral("Export chart"), QStringLiteral("SVG drawings (*.svg)"),
               QStringLiteral("svg"), [this] {
                   QByteArray bytes;
                   QBuffer buffer(&bytes);
                   buffer.open(QIODevice::WriteOnly);
                   QSvgGenerator svg;
                   svg.setOutputDevice(&buffer);
                   svg.setSize(chartView->size());
                   svg.setViewBox(QRect(QPoint(0, 0), chartView->size()));
                   svg.setTitle(chart->title().isEmpty() ? QStringLiteral("Tarvish curves")
                                                         : chart->title());
                   QPainter painter(&svg);
                   chartView->render(&painter);
                   painter.end();
                   return bytes;
               });
}

void CurvesTab::ExportCsv() {
    ExportFile(this,
               set ? QStringLiteral("Export curves over the set") : QStringLiteral("Export sweep"),
               QStringLiteral("CSV files (*.csv)"), QStringLiteral("csv"),
               [this] { return Csv().toUtf8(); });
}

void CurvesTab::ExportPng() {
    ExportFile(this, QStringLiteral("Export chart"), QStringLiteral("PNG images (*.png)"),
               QStringLiteral("png"), [this] {
                   QByteArray bytes;
                   QBuffer buffer(&bytes);
                   buffer.open(QIODevice::WriteOnly);
                   chartView->grab().toImage().save(&buffer, "PNG");
                   return bytes;
               });
}
