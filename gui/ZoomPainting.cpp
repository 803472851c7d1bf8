#include "ZoomPainting.h"

#include <QPainter>
#include <QWidget>
#include <QtMath>

#include <algorithm>
#include <utility>

namespace {

int FloorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

} // namespace

QRect DeviceRectOf(const QRect& logical, double ratio, QSize deviceSize) {
    const double r = ratio;
    return QRect(QPoint(qFloor(logical.left() * r), qFloor(logical.top() * r)),
                 QPoint(qCeil((logical.right() + 1) * r) - 1,
                        qCeil((logical.bottom() + 1) * r) - 1)) &
           QRect(QPoint(0, 0), deviceSize);
}

QImage ComposeAtDeviceResolution(const QWidget& widget, const QRect& area,
                                 const std::function<void(QPainter&)>& compose) {
    QImage image(area.size(), QImage::Format_RGB32);
    if (image.isNull()) {
        return image;
    }
    image.setDotsPerMeterX(qRound(widget.logicalDpiX() * 10000 / 254.0));
    image.setDotsPerMeterY(qRound(widget.logicalDpiY() * 10000 / 254.0));
    QPainter painter(&image);
    painter.translate(-area.topLeft());
    painter.setClipRect(area);
    compose(painter);
    return image;
}

void PaintComposed(QWidget& widget, QImage composed, QPoint deviceTopLeft, double ratio) {
    if (composed.isNull()) {
        return;
    }
    composed.setDevicePixelRatio(ratio);
    QPainter painter(&widget);
    painter.drawImage(QPointF(deviceTopLeft) / ratio, composed);
}

void DrawZoomedPicture(QPainter& painter, const QImage& picture, int pixelSide,
                       const ViewZoom& zoom, QPoint paneOrigin, const QRect& visible) {
    const QSize areaSize = zoom.ImageSize();
    if (picture.isNull() || visible.isEmpty() || areaSize.isEmpty() || pixelSide <= 0) {
        return;
    }
    const QRect imageRect = zoom.ImageRect().translated(paneOrigin);
    painter.save();
    painter.setClipRect(visible, Qt::IntersectClip);
    if (zoom.Magnification() == ViewZoom::Fit) {
        // Nearest neighbour as everywhere: no SmoothPixmapTransform.
        const QRectF target(
            imageRect.x(), imageRect.y(),
            double(picture.width() * pixelSide) * imageRect.width() / areaSize.width(),
            double(picture.height() * pixelSide) * imageRect.height() / areaSize.height());
        painter.drawImage(target, picture, QRectF(picture.rect()));
    } else {
        // Each picture pixel onto a whole square of k * pixelSide device pixels.
        const int step = zoom.Magnification() * pixelSide;
        const int x0 =
            std::clamp(FloorDiv(visible.left() - imageRect.left(), step), 0, picture.width());
        const int y0 =
            std::clamp(FloorDiv(visible.top() - imageRect.top(), step), 0, picture.height());
        const int x1 =
            std::clamp(FloorDiv(visible.right() - imageRect.left(), step) + 1, 0, picture.width());
        const int y1 =
            std::clamp(FloorDiv(visible.bottom() - imageRect.top(), step) + 1, 0, picture.height());
        if (x0 < x1 && y0 < y1) {
            const QRect source(x0, y0, x1 - x0, y1 - y0);
            const QRect target(imageRect.left() + x0 * step, imageRect.top() + y0 * step,
                               source.width() * step, source.height() * step);
            painter.drawImage(target, picture, source);
        }
    }
    painter.restore();
}

void DrawZoomedGrid(QPainter& painter, const ViewZoom& zoom, const QRect& pane, const QRect& area,
                    int tileSide, double minimumSpacing, std::initializer_list<QPen> pens) {
    const QSize areaSize = zoom.ImageSize();
    if (tileSide <= 0 || areaSize.isEmpty() || tileSide * zoom.Scale() < minimumSpacing) {
        return;
    }
    const QRect shown = zoom.ImageRect().translated(pane.topLeft()) & pane & area;
    if (shown.isEmpty()) {
        return;
    }
    const QPointF origin(pane.topLeft());
    const QPointF first = zoom.ToImage(QPointF(shown.topLeft()) - origin);
    const QPointF last = zoom.ToImage(QPointF(shown.bottomRight()) + QPointF(1, 1) - origin);
    const auto lines = [&](double from, double to, int extent) {
        const int begin = std::max(0, qFloor(from / tileSide));
        const int end = std::min((extent - 1) / tileSide, qCeil(to / tileSide));
        return std::pair(begin, end);
    };
    painter.save();
    painter.setClipRect(shown, Qt::IntersectClip);
    for (const QPen& pen : pens) {
        painter.setPen(pen);
        const auto [left, right] = lines(first.x(), last.x(), areaSize.width());
        for (int n = left; n <= right; ++n) {
            const int x = pane.left() + qFloor(zoom.ToDevice(QPointF(double(n) * tileSide, 0)).x());
            painter.drawLine(x, shown.top(), x, shown.bottom());
        }
        const auto [top, bottom] = lines(first.y(), last.y(), areaSize.height());
        for (int n = top; n <= bottom; ++n) {
            const int y = pane.top() + qFloor(zoom.ToDevice(QPointF(0, double(n) * tileSide)).y());
            painter.drawLine(shown.left(), y, shown.right(), y);
        }
    }
    painter.restore();
}
