#pragma once

#include <QImage>
#include <QStringList>
#include <QWidget>

#include <memory>

class ColorScale;
class QBoxLayout;
class QComboBox;
class QLabel;
class QToolButton;
class ZoomImageView;
struct ConversionResult;

// The "Errors" tab: where the active page's last conversion went wrong. The difference image
// shows each pixel's largest channel error, scaled so the largest error of the image is white,
// or with a gain g so that largest / g is (brighter errors clipped to white); the tile map
// colours every tile by its kept percentage or its PSNR.
//
// The two share the tab, side by side or one above the other: whichever shows the difference
// image at the larger whole factor (each pixel a sharp block) while leaving the tile map room;
// the tile map takes the rest, every tile the same whole number of pixels. Both zoom and pan as
// the Side by side view does (Ctrl+wheel, drag, arrows, 1 and 0), each on its own; the tile map
// is in the image's pixels, a block of tile side pixels a tile, so the two agree in scale.
// Export PNG saves the difference image pixel for pixel, the gain applied.
class ErrorsTab : public QWidget {
    Q_OBJECT

public:
    enum class TileMeasure { KeptPercent, Psnr };

    // The gains offered, in order.
    static constexpr int Gains[] = {1, 2, 4, 8, 16};

    explicit ErrorsTab(QWidget* parent = nullptr);

    // Shows the result of the page with the given caption, or says it has none yet; imagePath
    // is the image the result was made from (empty: the white square of no image).
    void Show(const QString& pageCaption, std::shared_ptr<const ConversionResult> result,
              const QString& imagePath);
    // The image the next conversions convert: a result of another one is marked in the title.
    void SetLoadedImage(const QString& path);
    void SetTileMeasure(TileMeasure measure);
    // One of Gains.
    void SetGain(int gain);
    int Gain() const;

    // The difference image as shown, one pixel per pixel of the converted region, the gain
    // applied; null without a result.
    const QImage& DifferenceImage() const { return differenceImage; }
    void ExportPng();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowTitle();
    void ShowDifference();
    void ShowTiles();
    // Chooses the maps' direction and shares from the tab's size and the result's.
    void Arrange();
    // Each legend as tall as the map beside it.
    void MatchScales();

    QString caption;
    std::shared_ptr<const ConversionResult> result;
    QString imagePath;
    QString loadedImage;
    QImage differenceImage;
    QLabel* title;
    QBoxLayout* maps;
    QBoxLayout* differenceHead;
    ZoomImageView* difference;
    ColorScale* differenceScale;
    QComboBox* gainBox;
    QToolButton* exportButton;
    QComboBox* measureBox;
    ZoomImageView* tileMap;
    ColorScale* tileScale;
    // What the tile map's tool tips name: count x count tiles of a side of pixels, row by row.
    int mapTileCount = 0;
    int mapTileSide = 0;
    QStringList mapTileTips;
};
