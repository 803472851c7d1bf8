#pragma once

#include "ViewZoom.h"
#include "ZoomInput.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>

class QPainter;

// One picture over a zoom and pan, read as SplitView reads them: Fit at first, or 1, 2, 4, ..., 32
// device pixels per image pixel (see ViewZoom), nearest neighbour, so at a magnification every
// image pixel is a whole square of device pixels at any device pixel ratio. Ctrl+wheel zooms
// about the pointer, the wheel scrolls, a drag with the left or middle button pans; while focused
// the arrows pan, 1 is 100 %, 0 is Fit, + and - step. Each picture pixel may stand for a block of
// image pixels (a tile map: one picture pixel a tile), so the image is picture size x pixel side.
// The rest of the view is in the window colour; transparent picture pixels show a hatch.
class ZoomImageView : public QWidget {
    Q_OBJECT

public:
    static constexpr int Fit = ViewZoom::Fit;

    explicit ZoomImageView(QWidget* parent = nullptr);

    // Keeps the magnification and the image point at the centre where the new size allows.
    // pixelSide >= 1.
    void SetPicture(const QImage& picture, int pixelSide = 1);
    const QImage& Picture() const { return picture; }
    int PixelSide() const { return pixelSide; }
    // Where the image sits on an axis on which it is smaller than the view, in Fit and at a
    // magnification; centred at first.
    void SetAlignment(Qt::Alignment alignment);
    // Fit enlarges only so far that every picture pixel is the same whole square of device
    // pixels; a picture larger than the view is still shrunk to fit. Off at first.
    void SetWholeFactorsWhenFitting(bool whole);
    // Lines between blocks of tileSide image pixels in color, where at least 6 device pixels
    // apart; 0 = none (at first).
    void SetGridLines(int tileSide, const QColor& color);
    // The tool tip for the image pixel under the pointer (empty: none); unset, the view's own
    // tool tip shows.
    void SetPixelToolTip(std::function<QString(QPoint imagePixel)> text);

    // Fit or 1, 2, 4, 8, 16, 32, about the centre.
    void SetMagnification(int magnification);
    int Magnification() const { return zoom.Magnification(); }
    // The part of the image shown, in image pixels.
    QRectF SourceRect() const { return zoom.SourceRect(); }
    // The image pixel under a point of the view (logical coordinates), or (-1, -1).
    QPoint ImagePixelAt(QPointF widgetPoint) const;
    // Where the whole image lies, in logical coordinates (may reach past the view); empty without
    // a picture.
    QRect PictureRect() const;
    // The model, in device pixels.
    const ViewZoom& Zoom() const { return zoom; }
    // The view as shown, in device pixels.
    QImage RenderShown() const;

    QSize sizeHint() const override;

signals:
    void MagnificationChanged(int magnification);
    void PixelHovered(QPoint imagePixel); // (-1, -1) when the pointer leaves the image
    void ViewChanged();                   // any zoom or pan, or a new size of picture or view

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    using State = ViewZoom::Placement;
    State Snapshot() const;
    // Emits what changed since before and repaints.
    void Changed(const State& before);

    double Ratio() const;
    QSize DeviceSize() const;
    void SyncViewport();
    void SyncAlignment();
    void Compose(QPainter& painter, const QRect& area) const;
    void HoverAt(QPointF widgetPoint);
    void ShowToolTip(QPoint widgetPoint, QPoint globalPoint);

    QImage picture;
    // The picture as painted: drawing another format would convert it every paint.
    QImage shown;
    int pixelSide = 1;
    Qt::Alignment alignment = Qt::AlignCenter;
    bool wholeFit = false;
    int gridSide = 0;
    QColor gridColor;
    std::function<QString(QPoint)> pixelToolTip;
    ViewZoom zoom;
    ZoomInput input;
    bool dragging = false;
    QPoint dragDevice;
    QPoint hovered{-1, -1};
};
