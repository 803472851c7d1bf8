#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>

#include <array>

// Zoom and pan of one image in one viewport, in device pixels throughout: a view converts its
// logical coordinates by the device pixel ratio before asking. The magnification is either Fit
// (the whole image as large as fits, aspect kept, centred) or a whole number k of device pixels
// per image pixel; at k the image's origin sits on a whole device pixel, so every image pixel
// covers a whole k x k square whatever the ratio. Every operation ends clamped: an image larger
// than the viewport on an axis leaves no gap there, a smaller one is centred on that axis.
class ViewZoom {
public:
    static constexpr int Fit = 0;
    // 100 % .. 3200 %, device pixels per image pixel.
    static constexpr std::array<int, 6> Presets = {1, 2, 4, 8, 16, 32};
    static bool IsMagnification(int magnification);

    // Keeps the magnification and the image point at the viewport's centre where the new size
    // allows.
    void SetImageSize(QSize size);
    QSize ImageSize() const { return image; }
    // Keeps the image point at the centre, as a resize should.
    void SetViewportSize(QSize deviceSize);
    QSize ViewportSize() const { return viewport; }

    int Magnification() const { return magnification; }
    // About the viewport's centre.
    void SetMagnification(int newMagnification);
    // Keeps the image point under devicePoint there, to within half a device pixel (the origin
    // stays on a whole pixel) unless clamping moves it.
    void ZoomAbout(QPointF devicePoint, int newMagnification);
    // One step along Fit and the presets ordered by scale, Fit placed at its fit scale (it wins
    // a tie with a preset); returns false when there is no step that way.
    bool ZoomIn(QPointF devicePoint);
    bool ZoomOut(QPointF devicePoint);
    int StepUp() const;
    int StepDown() const;

    // The largest scale at which the whole image fits; 0 without an image or viewport.
    double FitScale() const;
    // Device pixels per image pixel now (FitScale() in Fit).
    double Scale() const;

    // Moves the image by whole device pixels (a drag to the right moves it right).
    void PanBy(int deviceDx, int deviceDy);
    void Clamp();

    // Where the whole image lies in the viewport, in device pixels (may exceed the viewport);
    // in Fit the fitted rectangle.
    QRect ImageRect() const;
    // The part of the image shown, in image pixels.
    QRectF SourceRect() const;
    QPointF ToImage(QPointF devicePoint) const;
    QPointF ToDevice(QPointF imagePoint) const;

private:
    QRect FitRect() const;
    QPointF ViewportCentre() const;
    void CentreOn(QPointF imagePoint);

    QSize image;
    QSize viewport;
    int magnification = Fit;
    // Device position of the image's origin while not in Fit.
    QPoint offset;
};
