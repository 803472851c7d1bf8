#pragma once

#include "BestPerTile.h"
#include "ResultsSet.h"
#include "SweepPoint.h"
#include "SweepSettings.h"

#include <QImage>
#include <QWidget>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

class BdPanel;
class QAreaSeries;
class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QLineSeries;
class QProgressBar;
class QScatterSeries;
class QThread;
class QToolButton;

// The "Curves" tab: rate-distortion curves of the loaded image, quality against the share of
// coefficients kept, one curve per transform, computed by a sweep over the permitted errors.
//
// The sweep runs on a thread of its own (on all cores) and never touches a widget: it hands each
// point to the GUI thread through a queued call, and the chart grows as they come. Nothing of
// the pages changes. Cancel stops it within a tile's work and keeps the points so far; the
// destructor cancels and waits, which is safe because the sweep never waits on the GUI thread.
// The curves shown stay until a new sweep's first point arrives, so a sweep cancelled before
// it leaves them. The chart's title names the image, side and tiles of the curves it shows.
//
// The logarithmic axis has no 0: points that keep 0 % are left out of the chart (the legend
// entry's tooltip says how many), never out of the CSV.
//
// Open results shows a set of images instead, from row files of tarvish-batch read on the same
// kind of thread: for one group at a time (ResultsGroupChoice: tile count, colour correction,
// options) a curve per transform through the means over the images, with a band from the 25th
// to the 75th percentile of the quality, and the BD table over the set.
class CurvesTab : public QWidget {
    Q_OBJECT

public:
    enum class Measure { Psnr, Ssim };

    explicit CurvesTab(QWidget* parent = nullptr);
    ~CurvesTab() override;

    // Starts a sweep of image, named imageName in the title and the exported table; a running
    // one is cancelled first, and the chart starts over with the sweep's first point.
    void Start(const QImage& image, const QString& imageName, const SweepSettings& settings);
    // Stops a running sweep and returns once its thread has ended.
    void Cancel();
    bool Running() const { return thread != nullptr; }

    // Reads the row files and shows the set they hold; a running sweep is cancelled first. A file
    // that cannot be read is named, with its line, in a message, and the tab stays as it was.
    void OpenResults(const QStringList& paths);
    // The set shown, or null while the tab shows a sweep.
    const ResultsSet* Set() const { return set.get(); }

    void SetMeasure(Measure measure);
    // The points of the curves shown.
    const std::vector<SweepPoint>& Points() const { return points; }
    // The tooltip of a curve's legend entry, the six pages' in page order and then Best per
    // tile's: what it is, and that its points of 0 % kept are left out of the axis.
    QString SeriesTip(std::size_t series) const;

    // The points as a table: the batch command's columns, a header line, exact figures.
    QString Csv() const;
    void ExportCsv();
    void ExportPng();
    void ExportSvg();

signals:
    // The Sweep button: the window answers with Start and the active page's settings.
    void SweepRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The started sweep's points replace the curves shown.
    void Adopt();
    QString SweepTitle() const;
    // The status once a sweep stopped.
    QString StoppedText() const;
    void ShowSeriesTip(std::size_t series, bool entered);
    void AddPoint(SweepPoint point, std::size_t done, std::size_t total);
    void Finished(const QString& failure);
    void Plot();
    void PlotSet(Measure measure);
    // The axes' ranges and ticks for kept shares from floorKept and qualities from low to high.
    void SetAxes(double floorKept, double low, double high, Measure measure);
    void ShowSet(std::shared_ptr<const ResultsSet> loaded);
    // The group chosen of the set shown.
    CurveKey Group() const;
    void UpdateButtons();
    void ShowPointTip(std::size_t kind, const QPointF& at, bool entered);
    void ShowSetTip(std::size_t kind, const QPointF& at, Measure measure);
    // Gives the BD table the curves so far.
    void UpdateBd();

    QChart* chart;
    QChartView* chartView;
    std::vector<QLineSeries*> lines;
    std::vector<QScatterSeries*> marks;
    QLineSeries* bestLine;
    QScatterSeries* bestMarks;
    // Per series of lines, then the best per tile: the middle half of a set's images.
    std::vector<QAreaSeries*> bands;
    QComboBox* measureBox;
    QComboBox* groupChoice;
    QToolButton* sweepButton;
    QToolButton* cancelButton;
    QToolButton* csvButton;
    QToolButton* pngButton;
    QToolButton* svgButton;
    QProgressBar* progress;
    QLabel* status;
    BdPanel* bd;
    // The tooltip of the point under the mouse, empty when there is none.
    QString hoveredTip;

    // The sweep shown.
    QImage image;
    QString imageName;
    SweepSettings settings;
    std::vector<SweepPoint> points;
    // A sweep started that has no point yet.
    struct Started {
        QImage Image;
        QString ImageName;
        SweepSettings Settings;
    };
    std::optional<Started> pending;
    // Per series of lines, then the best per tile: the points of 0 % kept not drawn.
    std::vector<std::size_t> leftOut;
    // The Best per tile curve so far, per error: filled as each error's sixth point arrives.
    std::vector<std::optional<BestPerTileFigures>> bestCurve;
    std::shared_ptr<const ResultsSet> set;
    // The sweep's or the reading's.
    std::unique_ptr<QThread> thread;
    std::atomic<bool> cancel{false};
    // Points queued by an earlier sweep are dropped when they arrive late.
    int generation = 0;
};
