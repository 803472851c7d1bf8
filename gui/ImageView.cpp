#include "ImageView.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>
#include <QWheelEvent>

namespace {
const QString ZoomHelp =
    QStringLiteral("Left click zooms in, right click zooms out (also Ctrl+wheel).");
} // namespace

ImageView::ImageView(QWidget* parent) : QWidget(parent), canvas(&picture, [this] { update(); }) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageView::SetPicture(const QImage& image) {
    // Keep the same QImage object: canvases hold a pointer to it.
    picture = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_RGB32);
    picture.detach();
    update();
}

void ImageView::SetControlSize(int width, int height) {
    setFixedSize(width, height);
    update();
}

QRect ImageView::PictureRect() const {
    if (picture.isNull() || width() <= 0 || height() <= 0) {
        return QRect();
    }
    const QSize fitted = picture.size().scaled(size(), Qt::KeepAspectRatio);
    return QStyle::alignedRect(layoutDirection(), Qt::AlignCenter, fitted.expandedTo({1, 1}),
                               rect());
}

void ImageView::SetOutline(const QRect& pictureRect) {
    if (pictureRect == outline) {
        return;
    }
    outline = pictureRect;
    update();
}

void ImageView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect exposed = event->rect();
    painter.fillRect(exposed, palette().window());
    const QRect target = PictureRect();
    if (target.isEmpty()) {
        return;
    }
    // Map only the exposed part back onto the picture: a zoomed control can be far larger than
    // the screen, and a scaled copy of it all would be huge.
    const double sx = double(picture.width()) / target.width();
    const double sy = double(picture.height()) / target.height();
    const QRectF shown = QRectF(exposed).intersected(QRectF(target));
    if (!shown.isEmpty()) {
        const QRectF source((shown.x() - target.x()) * sx, (shown.y() - target.y()) * sy,
                            shown.width() * sx, shown.height() * sy);
        painter.drawImage(shown, picture, source);
    }
    if (!outline.isEmpty()) {
        // Both a light and a dark dash, so the outline shows on any picture.
        const QRectF box(target.x() + outline.x() / sx, target.y() + outline.y() / sy,
                         outline.width() / sx, outline.height() / sy);
        const QRectF line = box.intersected(QRectF(target)).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(QPen(Qt::white, 1, Qt::SolidLine));
        painter.drawRect(line);
        painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
        painter.drawRect(line);
    }
}

bool ImageView::event(QEvent* event) {
    if (zoomHelp && event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = toolTip().isEmpty() ? ZoomHelp : toolTip() + '\n' + ZoomHelp;
        QToolTip::showText(help->globalPos(), tip, this);
        return true;
    }
    return QWidget::event(event);
}

void ImageView::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(event->button());
    QWidget::mousePressEvent(event);
}

void ImageView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QWidget::wheelEvent(event); // the scroll box scrolls
        return;
    }
    // One step per notch; touchpads deliver fractions of a notch.
    wheelAngle += event->angleDelta().y();
    const int steps = wheelAngle / QWheelEvent::DefaultDeltasPerStep;
    wheelAngle -= steps * QWheelEvent::DefaultDeltasPerStep;
    if (steps != 0) {
        emit WheelZoom(steps);
    }
    event->accept();
}
