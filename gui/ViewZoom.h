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
// than the viewport on an axis leaves no gap there, a smaller one is centred on that axis (or
// placed as SetAlignment says).
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
    // Where the image sits on an axis on which it is smaller than the viewport, in Fit and at a
    // magnification: left, right or centred across, top, bottom or centred down (absolute, the
    // caller resolves a layout direction). Centred at first.
    void SetAlignment(Qt::Alignment alignment);
    Qt::Alignment Alignment() const { return alignment; }
    // 0: Fit scales freely. n > 0: Fit shows every n x n block of image pixels as the same whole
    // square of device pixels, the largest that fits; an image that cannot get one device pixel
    // per block is still fitted freely. 0 at first.
    void SetFitBlock(int imagePixels);
    int FitBlock() const { return fitBlock; }

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

    // The scale Fit shows at: the largest at which the whole image fits, in whole device pixels
    // per block with a fit block; 0 without an image or viewport.
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

    // What a view shows: widgets compare it before and after an operation to tell what changed.
    struct Placement {
        int Magnification = Fit;
        QRect ImageRect;
        QSize Viewport;
        bool operator==(const Placement&) const = default;
    };
    Placement Where() const { return {Magnification(), ImageRect(), ViewportSize()}; }
    QPointF ToImage(QPointF devicePoint) const;
    QPointF ToDevice(QPointF imagePoint) const;

private:
    QRect FitRect() const;
    // Device pixels per fit block in whole Fit, or 0 when Fit scales freely.
    long long FitBlockSide() const;
    QPointF ViewportCentre() const;
    void CentreOn(QPointF imagePoint);

    QSize image;
    QSize viewport;
    int magnification = Fit;
    Qt::Alignment alignment = Qt::AlignCenter;
    int fitBlock = 0;
    // Device position of the image's origin while not in Fit.
    QPoint offset;
};
