#include "ViewZoom.h"

#include <QtMath>

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>

namespace {

void CheckSize(QSize size, const char* what) {
    if (size.width() < 0 || size.height() < 0) {
        throw std::invalid_argument(std::string("ViewZoom: negative ") + what + " size " +
                                    std::to_string(size.width()) + " x " +
                                    std::to_string(size.height()));
    }
}

// Where an extent no larger than the viewport starts on one axis: start, end or centred.
int Placed(long long room, Qt::Alignment alignment, Qt::Alignment start, Qt::Alignment end) {
    if (alignment & start) {
        return 0;
    }
    if (alignment & end) {
        return static_cast<int>(room);
    }
    return static_cast<int>(room / 2);
}

// The image's origin on one axis: placed when it is no larger than the viewport, else no gap
// on either side.
int ClampedOrigin(long long origin, long long extent, long long viewport, Qt::Alignment alignment,
                  Qt::Alignment start, Qt::Alignment end) {
    if (extent <= viewport) {
        return Placed(viewport - extent, alignment, start, end);
    }
    return static_cast<int>(std::clamp(origin, viewport - extent, 0LL));
}

} // namespace

bool ViewZoom::IsMagnification(int magnification) {
    return magnification == Fit ||
           std::find(Presets.begin(), Presets.end(), magnification) != Presets.end();
}

void ViewZoom::SetImageSize(QSize size) {
    CheckSize(size, "image");
    const bool hadCentre = !image.isEmpty() && !viewport.isEmpty();
    const QPointF centre = ToImage(ViewportCentre());
    image = size;
    if (hadCentre) {
        CentreOn(centre);
    } else {
        Clamp();
    }
}

void ViewZoom::SetViewportSize(QSize deviceSize) {
    CheckSize(deviceSize, "viewport");
    const bool hadCentre = !image.isEmpty() && !viewport.isEmpty();
    const QPointF centre = ToImage(ViewportCentre());
    viewport = deviceSize;
    if (hadCentre) {
        CentreOn(centre);
    } else {
        Clamp();
    }
}

void ViewZoom::SetAlignment(Qt::Alignment newAlignment) {
    alignment = newAlignment;
    Clamp();
}

void ViewZoom::SetFitBlock(int imagePixels) {
    if (imagePixels < 0) {
        throw std::invalid_argument("ViewZoom: negative fit block " + std::to_string(imagePixels));
    }
    fitBlock = imagePixels;
}

void ViewZoom::SetMagnification(int newMagnification) {
    ZoomAbout(ViewportCentre(), newMagnification);
}

void ViewZoom::ZoomAbout(QPointF devicePoint, int newMagnification) {
    if (!IsMagnification(newMagnification)) {
        throw std::invalid_argument("ViewZoom: magnification " + std::to_string(newMagnification) +
                                    " is neither Fit nor 1, 2, 4, 8, 16 or 32");
    }
    const QPointF fixed = ToImage(devicePoint);
    magnification = newMagnification;
    if (magnification == Fit) {
        return;
    }
    offset = QPoint(qRound(devicePoint.x() - fixed.x() * magnification),
                    qRound(devicePoint.y() - fixed.y() * magnification));
    Clamp();
}

int ViewZoom::StepUp() const {
    const double now = Scale();
    int best = magnification;
    double bestScale = std::numeric_limits<double>::infinity();
    if (magnification != Fit && FitScale() > now) {
        best = Fit;
        bestScale = FitScale();
    }
    for (const int preset : Presets) {
        if (preset != magnification && preset > now && preset < bestScale) {
            best = preset;
            bestScale = preset;
        }
    }
    return best;
}

int ViewZoom::StepDown() const {
    const double now = Scale();
    int best = magnification;
    double bestScale = 0;
    if (magnification != Fit && FitScale() > 0 && FitScale() < now) {
        best = Fit;
        bestScale = FitScale();
    }
    for (const int preset : Presets) {
        if (preset != magnification && preset < now && preset > bestScale) {
            best = preset;
            bestScale = preset;
        }
    }
    return best;
}

bool ViewZoom::ZoomIn(QPointF devicePoint) {
    const int next = StepUp();
    if (next == magnification) {
        return false;
    }
    ZoomAbout(devicePoint, next);
    return true;
}

bool ViewZoom::ZoomOut(QPointF devicePoint) {
    const int next = StepDown();
    if (next == magnification) {
        return false;
    }
    ZoomAbout(devicePoint, next);
    return true;
}

long long ViewZoom::FitBlockSide() const {
    if (fitBlock <= 0 || image.isEmpty() || viewport.isEmpty()) {
        return 0;
    }
    const long long n = fitBlock;
    return std::min(viewport.width() * n / image.width(), viewport.height() * n / image.height());
}

double ViewZoom::FitScale() const {
    if (image.isEmpty() || viewport.isEmpty()) {
        return 0;
    }
    if (const long long side = FitBlockSide(); side > 0) {
        return double(side) / fitBlock;
    }
    return std::min(double(viewport.width()) / image.width(),
                    double(viewport.height()) / image.height());
}

double ViewZoom::Scale() const {
    return magnification == Fit ? FitScale() : magnification;
}

void ViewZoom::PanBy(int deviceDx, int deviceDy) {
    if (magnification == Fit) {
        return;
    }
    // Through long long: a fling far past the edge must clamp, not overflow.
    const long long k = magnification;
    offset.setX(ClampedOrigin(static_cast<long long>(offset.x()) + deviceDx, image.width() * k,
                              viewport.width(), alignment, Qt::AlignLeft, Qt::AlignRight));
    offset.setY(ClampedOrigin(static_cast<long long>(offset.y()) + deviceDy, image.height() * k,
                              viewport.height(), alignment, Qt::AlignTop, Qt::AlignBottom));
}

void ViewZoom::Clamp() {
    PanBy(0, 0);
}

QRect ViewZoom::FitRect() const {
    if (image.isEmpty() || viewport.isEmpty()) {
        return QRect();
    }
    QSize fitted = image.scaled(viewport, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    if (const long long side = FitBlockSide(); side > 0) {
        fitted = QSize(static_cast<int>(image.width() * side / fitBlock),
                       static_cast<int>(image.height() * side / fitBlock));
    }
    return QRect(
        QPoint(
            Placed(viewport.width() - fitted.width(), alignment, Qt::AlignLeft, Qt::AlignRight),
            Placed(viewport.height() - fitted.height(), alignment, Qt::AlignTop, Qt::AlignBottom)),
        fitted);
}

QRect ViewZoom::ImageRect() const {
    if (magnification == Fit) {
        return FitRect();
    }
    return QRect(offset, image * magnification);
}

QRectF ViewZoom::SourceRect() const {
    if (image.isEmpty() || viewport.isEmpty()) {
        return QRectF();
    }
    const QRectF shown(ToImage(QPointF(0, 0)),
                       ToImage(QPointF(viewport.width(), viewport.height())));
    return shown.intersected(QRectF(QPointF(0, 0), QSizeF(image)));
}

QPointF ViewZoom::ToImage(QPointF devicePoint) const {
    if (magnification != Fit) {
        return (devicePoint - QPointF(offset)) / magnification;
    }
    const QRect fitted = FitRect();
    if (fitted.isEmpty()) {
        return devicePoint;
    }
    // Per axis, so the fitted rectangle maps exactly onto the image.
    return QPointF((devicePoint.x() - fitted.x()) * image.width() / fitted.width(),
                   (devicePoint.y() - fitted.y()) * image.height() / fitted.height());
}

QPointF ViewZoom::ToDevice(QPointF imagePoint) const {
    if (magnification != Fit) {
        return QPointF(offset) + imagePoint * magnification;
    }
    const QRect fitted = FitRect();
    if (fitted.isEmpty()) {
        return imagePoint;
    }
    return QPointF(fitted.x() + imagePoint.x() * fitted.width() / image.width(),
                   fitted.y() + imagePoint.y() * fitted.height() / image.height());
}

QPointF ViewZoom::ViewportCentre() const {
    return QPointF(viewport.width() / 2.0, viewport.height() / 2.0);
}

void ViewZoom::CentreOn(QPointF imagePoint) {
    if (magnification == Fit) {
        return;
    }
    const QPointF centre = ViewportCentre();
    offset = QPoint(qRound(centre.x() - imagePoint.x() * magnification),
                    qRound(centre.y() - imagePoint.y() * magnification));
    Clamp();
}
