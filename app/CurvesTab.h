#pragma once

#include "BestPerTile.h"
#include "SweepPoint.h"
#include "SweepSettings.h"

#include <QImage>
#include <QWidget>

#include <atomic>
#include <memory>
#include <vector>

class BdPanel;
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
class CurvesTab : public QWidget {
    Q_OBJECT

public:
    enum class Measure { Psnr, Ssim };

    explicit CurvesTab(QWidget* parent = nullptr);
    ~CurvesTab() override;

    // Starts a sweep of image, named imageName in the exported table; a running one is cancelled
    // first, and the chart starts over.
    void Start(const QImage& image, const QString& imageName, const SweepSettings& settings);
    // Stops a running sweep and returns once its thread has ended.
    void Cancel();
    bool Running() const { return thread != nullptr; }

    void SetMeasure(Measure measure);
    const std::vector<SweepPoint>& Points() const { return points; }

    // The points as a table: the batch command's columns, a header line, exact figures.
    QString Csv() const;
    void ExportCsv();
    void ExportPng();

signals:
    // The Sweep button: the window answers with Start and the active page's settings.
    void SweepRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddPoint(SweepPoint point, std::size_t done, std::size_t total);
    void Finished(const QString& failure);
    void Plot();
    void UpdateButtons();
    void ShowPointTip(std::size_t kind, const QPointF& at, bool entered);
    // Gives the BD table the curves so far.
    void UpdateBd();

    QChart* chart;
    QChartView* chartView;
    std::vector<QLineSeries*> lines;
    std::vector<QScatterSeries*> marks;
    QLineSeries* bestLine;
    QScatterSeries* bestMarks;
    QComboBox* measureBox;
    QToolButton* sweepButton;
    QToolButton* cancelButton;
    QToolButton* csvButton;
    QToolButton* pngButton;
    QProgressBar* progress;
    QLabel* status;
    BdPanel* bd;
    // The tooltip of the point under the mouse, empty when there is none.
    QString hoveredTip;

    QImage image;
    QString imageName;
    SweepSettings settings;
    std::vector<SweepPoint> points;
    // The Best per tile curve so far, per error: filled as each error's sixth point arrives.
    std::vector<std::optional<BestPerTileFigures>> bestCurve;
    std::unique_ptr<QThread> thread;
    std::atomic<bool> cancel{false};
    // Points queued by an earlier sweep are dropped when they arrive late.
    int generation = 0;
};
