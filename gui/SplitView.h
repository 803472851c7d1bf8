#pragma once

#include "ViewZoom.h"
#include "ZoomInput.h"

#include <QImage>
#include <QString>
#include <QWidget>

class QPainter;

// Compares two images over one zoom and pan: Split (one over the other, a divider between
// them), SideBySide (two panes moving together) or Difference. The image area is the larger of
// the two sizes, both images top-left aligned in it. Zoom and pan are kept in device pixels
// (see ViewZoom): at a preset magnification k each image pixel is a whole k x k square of device
// pixels at any device pixel ratio, painted nearest neighbour, so the view is composed at device
// resolution and only then put on the widget. Pane 0 shows the left image, pane 1 the right one,
// exchanged while Space is held.
class SplitView : public QWidget {
    Q_OBJECT

public:
    enum class Mode { Split, SideBySide, Difference };
    static constexpr int Fit = ViewZoom::Fit;

    explicit SplitView(QWidget* parent = nullptr);

    // Either image may be null (that side shows a "nothing to show" text). Sizes may differ: the
    // image area is the larger of the two, top-left aligned. Keeps zoom and position where the
    // sizes allow.
    void SetImages(const QImage& left, const QImage& right);
    const QImage& LeftImage() const { return images[0]; }
    const QImage& RightImage() const { return images[1]; }
    // Drawn in the view's top corners: the left one top-left, the right one top-right.
    void SetLabels(const QString& left, const QString& right);
    void SetMode(Mode mode);
    Mode CurrentMode() const { return mode; }
    // Fit or 1, 2, 4, 8, 16, 32, about the centre.
    void SetMagnification(int magnification);
    int Magnification() const { return zoom.Magnification(); }
    // Split mode's divider, 0..1 across the view; 0.5 at first.
    void SetDividerFraction(double fraction);
    double DividerFraction() const { return divider; }
    // Lines every tileSide image pixels from (0, 0); 0 = none. Left out where they would be
    // closer than a few device pixels.
    void SetGridTileSide(int tileSide);
    int GridTileSide() const { return gridTileSide; }
    // The part of the image pane 0 (left) and pane 1 (right) show, in image pixels; in Split and
    // Difference mode both are the same rectangle.
    QRectF SourceRect(int pane) const;
    // The image pixel under a point of the widget (logical coordinates), or (-1, -1).
    QPoint ImagePixelAt(QPointF widgetPoint) const;
    bool Swapped() const { return swapped; }
    // The model, in the device pixels of one pane.
    const ViewZoom& Zoom() const { return zoom; }

    // Exports: as shown (device pixels of the view), or the whole image area at 100 % composed in
    // the current mode (Split: left image left of the divider's image column, right from it on;
    // Side by side: both images next to each other, no gap; Difference: DifferenceImage()).
    QImage RenderShown() const;
    QImage RenderFullSize() const;
    // Per pixel, the largest channel difference |right - left| over the common area, amplified
    // so the largest is white (Format_Grayscale8); and that largest difference (0..255). Null and
    // 0 while either image is null.
    const QImage& DifferenceImage() const;
    int LargestDifference() const;
    // What Difference mode writes in its corner.
    QString DifferenceCaption() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void MagnificationChanged(int magnification);
    void PixelHovered(QPoint imagePixel); // (-1, -1) when the pointer leaves the image
    void ViewChanged();                   // any zoom, pan, divider move or mode change
    void SwapChanged(bool swapped);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    using State = ViewZoom::Placement;
    State Snapshot() const;
    // Emits what changed since before and repaints.
    void Changed(const State& before, bool viewChanged = false);

    double Ratio() const;
    QSize DeviceSize() const;
    QSize PaneSize() const;
    // Device rectangle of a pane of the view; in Split and Difference the whole view.
    QRect PaneRect(int pane) const;
    // The pane under a device point, or -1 (the gap between side-by-side panes).
    int PaneAt(QPointF devicePoint) const;
    QPointF ToDevice(QPointF widgetPoint) const;
    int DividerX() const;
    bool NearDivider(QPointF widgetPoint) const;
    void SyncViewport();
    // The image shown on side 0 or 1 and its label, Space's exchange applied.
    const QImage& Shown(int side) const;
    const QString& ShownLabel(int side) const;

    // Draws the device rectangle area of the view; the painter's origin is the view's.
    void Compose(QPainter& painter, const QRect& area) const;
    // picture in pane, only inside part (a side of the divider, or the pane).
    void DrawPicture(QPainter& painter, const QImage& picture, const QRect& pane, const QRect& part,
                     const QRect& area) const;
    void DrawGrid(QPainter& painter, const QRect& pane, const QRect& area) const;
    void DrawDivider(QPainter& painter) const;
    // Text in a box at a corner of pane (Qt::AlignLeft or Qt::AlignRight), in logical sizes.
    void DrawCaption(QPainter& painter, const QRect& pane, const QString& text,
                     Qt::Alignment corner) const;
    void DrawCentredText(QPainter& painter, const QRect& part, const QString& text) const;
    QImage Composed(const QRect& area) const;

    void ComputeDifference() const;
    void HoverAt(QPointF widgetPoint);
    void SetSwapped(bool on);
    void UpdateCursor(QPointF widgetPoint);

    QImage images[2];
    QString labels[2];
    // Worked out when first asked for: Split and SideBySide never need it.
    mutable bool differenceStale = false;
    mutable QImage difference;
    // The difference as painted: drawing Grayscale8 would convert the whole image every paint.
    mutable QImage differenceShown;
    mutable int largestDifference = 0;
    Mode mode = Mode::Split;
    ViewZoom zoom;
    double divider = 0.5;
    int gridTileSide = 0;
    bool swapped = false;

    enum class Drag { None, Pan, Divider };
    Drag drag = Drag::None;
    QPoint dragDevice;
    ZoomInput input;
    QPoint hovered{-1, -1};
};
