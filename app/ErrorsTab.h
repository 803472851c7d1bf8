#pragma once

#include <QWidget>

#include <memory>

class ColorScale;
class FittedImageView;
class QComboBox;
class QLabel;
class TileMapView;
struct ConversionResult;

// The "Errors" tab: where the active page's last conversion went wrong. The difference image
// shows each pixel's largest channel error, scaled so the largest error of the image is white;
// the tile map colours every tile by its kept percentage or its PSNR.
class ErrorsTab : public QWidget {
    Q_OBJECT

public:
    enum class TileMeasure { KeptPercent, Psnr };

    explicit ErrorsTab(QWidget* parent = nullptr);

    // Shows the result of the page with the given caption, or says it has none yet.
    void Show(const QString& pageCaption, std::shared_ptr<const ConversionResult> result);
    void SetTileMeasure(TileMeasure measure);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowTiles();
    // Each legend as tall as the map beside it.
    void MatchScales();

    QString caption;
    std::shared_ptr<const ConversionResult> result;
    QLabel* title;
    FittedImageView* difference;
    ColorScale* differenceScale;
    QComboBox* measureBox;
    TileMapView* tileMap;
    ColorScale* tileScale;
};
