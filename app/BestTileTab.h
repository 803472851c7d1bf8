#pragma once

#include "ConversionResult.h"
#include "ConversionSettings.h"

#include <QImage>
#include <QWidget>

#include <atomic>
#include <memory>
#include <vector>

class ImageView;
class QLabel;
class QProgressBar;
class QThread;
class QToolButton;
class TileMapView;

// The "Best per tile" tab: at one setting, the image converted with all six transforms, and for
// every tile the one that does best (see BestPerTile.h): a map of the winners (BestTileMap) with
// a legend of tiles won, the composed image (BestTileImage) and its figures beside the best
// single transform's (BestTileFigures).
//
// Like the sweep, the conversions run on a thread of their own (on all cores) with their own
// copy of the image and settings; they never touch a page. Stop or a new start cancels them;
// a result that arrives from an earlier run is dropped by its generation.
class BestTileTab : public QWidget {
    Q_OBJECT

public:
    explicit BestTileTab(QWidget* parent = nullptr);
    ~BestTileTab() override;

    // Converts the square at the top left of image with the six transforms at settings (the
    // error percent, tiles, side, colour correction and options as a page would), after
    // cancelling a run under way.
    void Start(const QImage& image, const ConversionSettings& settings);
    // Stops a run and returns once its thread has ended.
    void Cancel();
    bool Running() const { return thread != nullptr; }

    // The composed result of the last run, or null.
    std::shared_ptr<const ConversionResult> Result() const { return best; }
    // The image the result was made from, with the converted square replaced by the composed
    // tiles: what Save writes.
    QImage ComposedImage() const;

signals:
    // The Compare tiles button: the window answers with Start and the active page's settings.
    void TilesRequested();
    // The offer to run like for like: the window sets the options and starts again.
    void LikeForLikeRequested();
    // A run finished with a result.
    void Computed(std::shared_ptr<const ConversionResult> result);
    void SaveRequested();

private:
    void Finished(std::vector<ConversionResult> six, std::vector<std::size_t> winners,
                  std::shared_ptr<const ConversionResult> composed, const QString& failure);
    void ShowResult();
    void UpdateButtons();

    QToolButton* compareButton;
    QToolButton* stopButton;
    QToolButton* saveButton;
    QToolButton* likeButton;
    QProgressBar* progress;
    QLabel* status;
    QLabel* optionsLine;
    TileMapView* map;
    QLabel* legend;
    ImageView* composedView;
    QLabel* figures;

    QImage image;
    ConversionSettings settings;
    std::vector<ConversionResult> results;
    std::vector<std::size_t> winnerOf;
    std::shared_ptr<const ConversionResult> best;
    std::unique_ptr<QThread> thread;
    std::atomic<bool> cancel{false};
    int generation = 0;
};
