#include "ZoomImageView.h"

#include "ZoomPainting.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>
#include <QWheelEvent>
#include <QtMath>

#include <stdexcept>
#include <string>
#include <utility>

namespace {

// Lines between blocks closer than this many device pixels would hide the picture.
constexpr double GridMinimumSpacing = 6;

constexpr Qt::MouseButtons PanButtons = Qt::LeftButton | Qt::MiddleButton;

} // namespace

ZoomImageView::ZoomImageView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(64, 64);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setCursor(Qt::OpenHandCursor);
    SyncViewport();
}

QSize ZoomImageView::sizeHint() const {
    return QSize(160, 160);
}

// --- State --------------------------------------------------------------------------------

void ZoomImageView::SetPicture(const QImage& newPicture, int newPixelSide) {
    if (newPixelSide < 1) {
        throw std::invalid_argument("ZoomImageView: pixel side " + std::to_string(newPixelSide) +
                                    " is less than 1");
    }
    const State before = Snapshot();
    picture = newPicture;
    // One format, so painting never converts per paint.
    shown = picture.isNull() ? QImage()
                             : picture.convertToFormat(picture.hasAlphaChannel()
                                                           ? QImage::Format_ARGB32_Premultiplied
                                                           : QImage::Format_RGB32);
    pixelSide = newPixelSide;
    SyncViewport();
    zoom.SetFitBlock(wholeFit ? pixelSide : 0);
    zoom.SetImageSize(shown.size() * pixelSide);
    Changed(before);
    update();
}

void ZoomImageView::SetAlignment(Qt::Alignment newAlignment) {
    const State before = Snapshot();
    alignment = newAlignment;
    SyncAlignment();
    Changed(before);
}

void ZoomImageView::SetWholeFactorsWhenFitting(bool whole) {
    const State before = Snapshot();
    wholeFit = whole;
    zoom.SetFitBlock(wholeFit ? pixelSide : 0);
    Changed(before);
}

void ZoomImageView::SetGridLines(int tileSide, const QColor& color) {
    if (tileSide < 0) {
        throw std::invalid_argument("ZoomImageView: grid tile side " + std::to_string(tileSide) +
                                    " is negative");
    }
    gridSide = tileSide;
    gridColor = color;
    update();
}

void ZoomImageView::SetPixelToolTip(std::function<QString(QPoint)> text) {
    pixelToolTip = std::move(text);
}

void ZoomImageView::SetMagnification(int magnification) {
    const State before = Snapshot();
    SyncViewport();
    zoom.SetMagnification(magnification);
    Changed(before);
}

QPoint ZoomImageView::ImagePixelAt(QPointF widgetPoint) const {
    if (shown.isNull()) {
        return QPoint(-1, -1);
    }
    const QPointF image = zoom.ToImage(widgetPoint * Ratio());
    const QPoint pixel(qFloor(image.x()), qFloor(image.y()));
    if (!QRect(QPoint(0, 0), zoom.ImageSize()).contains(pixel)) {
        return QPoint(-1, -1);
    }
    return pixel;
}

QRect ZoomImageView::PictureRect() const {
    if (shown.isNull()) {
        return QRect();
    }
    const QRect device = zoom.ImageRect();
    const double r = Ratio();
    return QRectF(device.x() / r, device.y() / r, device.width() / r, device.height() / r)
        .toAlignedRect();
}

ZoomImageView::State ZoomImageView::Snapshot() const {
    return zoom.Where();
}

void ZoomImageView::Changed(const State& before) {
    const State after = Snapshot();
    if (after == before) {
        return;
    }
    update();
    if (after.Magnification != before.Magnification) {
        emit MagnificationChanged(after.Magnification);
    }
    emit ViewChanged();
}

// --- Geometry, in device pixels -----------------------------------------------------------

double ZoomImageView::Ratio() const {
    return devicePixelRatioF();
}

QSize ZoomImageView::DeviceSize() const {
    const double r = Ratio();
    return QSize(qRound(width() * r), qRound(height() * r));
}

void ZoomImageView::SyncViewport() {
    if (zoom.ViewportSize() != DeviceSize()) {
        zoom.SetViewportSize(DeviceSize());
    }
}

void ZoomImageView::SyncAlignment() {
    zoom.SetAlignment(QStyle::visualAlignment(layoutDirection(), alignment));
}

// --- Painting -----------------------------------------------------------------------------

void ZoomImageView::Compose(QPainter& painter, const QRect& area) const {
    painter.fillRect(area, palette().color(QPalette::Window));
    const QRect view(QPoint(0, 0), DeviceSize());
    const QRect visible = zoom.ImageRect() & view & area;
    if (shown.isNull() || visible.isEmpty()) {
        return;
    }
    if (shown.hasAlphaChannel()) {
        painter.fillRect(visible, QBrush(palette().color(QPalette::Mid), Qt::BDiagPattern));
    }
    DrawZoomedPicture(painter, shown, pixelSide, zoom, QPoint(0, 0), visible);
    DrawZoomedGrid(painter, zoom, view, area, gridSide, GridMinimumSpacing, {QPen(gridColor, 0)});
}

QImage ZoomImageView::RenderShown() const {
    const QRect area(QPoint(0, 0), DeviceSize());
    return ComposeAtDeviceResolution(*this, area,
                                     [&](QPainter& painter) { Compose(painter, area); });
}

void ZoomImageView::paintEvent(QPaintEvent* event) {
    SyncViewport(); // the device pixel ratio may have changed with the screen
    const double r = Ratio();
    const QRect device = DeviceRectOf(event->rect(), r, DeviceSize());
    PaintComposed(*this,
                  ComposeAtDeviceResolution(*this, device,
                                            [&](QPainter& painter) { Compose(painter, device); }),
                  device.topLeft(), r);
}

// --- Input --------------------------------------------------------------------------------

bool ZoomImageView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && pixelToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        ShowToolTip(help->pos(), help->globalPos());
        return true;
    }
    return QWidget::event(event);
}

void ZoomImageView::ShowToolTip(QPoint widgetPoint, QPoint globalPoint) {
    const QPoint pixel = ImagePixelAt(widgetPoint);
    const QString text = pixel.x() < 0 ? QString() : pixelToolTip(pixel);
    if (text.isEmpty()) {
        QToolTip::hideText();
        return;
    }
    // The block under the pointer, so that the tip goes once the pointer leaves it.
    const QPoint corner(pixel.x() / pixelSide * pixelSide, pixel.y() / pixelSide * pixelSide);
    const double r = Ratio();
    const QRectF block(zoom.ToDevice(QPointF(corner)) / r,
                       zoom.ToDevice(QPointF(corner + QPoint(pixelSide, pixelSide))) / r);
    QToolTip::showText(globalPoint, text, this, block.toAlignedRect() & rect());
}

void ZoomImageView::resizeEvent(QResizeEvent* event) {
    const State before = Snapshot();
    SyncViewport();
    Changed(before);
    QWidget::resizeEvent(event);
}

void ZoomImageView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LayoutDirectionChange) {
        const State before = Snapshot();
        SyncAlignment();
        Changed(before);
    }
    QWidget::changeEvent(event);
}

void ZoomImageView::mousePressEvent(QMouseEvent* event) {
    if (!(event->button() & PanButtons)) {
        QWidget::mousePressEvent(event);
        return;
    }
    SyncViewport();
    dragging = true;
    dragDevice = (event->position() * Ratio()).toPoint();
    setCursor(Qt::ClosedHandCursor);
    event->accept();
}

void ZoomImageView::mouseMoveEvent(QMouseEvent* event) {
    if (dragging) {
        const QPoint now = (event->position() * Ratio()).toPoint();
        const State before = Snapshot();
        zoom.PanBy(now.x() - dragDevice.x(), now.y() - dragDevice.y());
        dragDevice = now;
        Changed(before);
    }
    HoverAt(event->position());
    event->accept();
}

void ZoomImageView::mouseReleaseEvent(QMouseEvent* event) {
    if (!(event->button() & PanButtons)) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    if (!(event->buttons() & PanButtons)) {
        dragging = false;
        setCursor(Qt::OpenHandCursor);
    }
    event->accept();
}

void ZoomImageView::wheelEvent(QWheelEvent* event) {
    SyncViewport();
    const State before = Snapshot();
    input.Wheel(*event, Ratio(), event->position() * Ratio(), zoom);
    Changed(before);
    HoverAt(event->position());
    event->accept();
}

void ZoomImageView::keyPressEvent(QKeyEvent* event) {
    SyncViewport();
    const State before = Snapshot();
    if (!ZoomInput::Key(event->key(), zoom)) {
        QWidget::keyPressEvent(event);
        return;
    }
    Changed(before);
    event->accept();
}

void ZoomImageView::leaveEvent(QEvent* event) {
    hovered = QPoint(-1, -1);
    emit PixelHovered(hovered);
    QWidget::leaveEvent(event);
}

void ZoomImageView::HoverAt(QPointF widgetPoint) {
    const QPoint pixel = ImagePixelAt(widgetPoint);
    if (pixel != hovered) {
        hovered = pixel;
        emit PixelHovered(pixel);
    }
}
