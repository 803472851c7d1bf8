#include "ImageView.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

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

void ImageView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect exposed = event->rect();
    painter.fillRect(exposed, palette().window());
    if (picture.isNull() || width() <= 0 || height() <= 0)
        return;
    // Map only the exposed part back onto the picture: a zoomed control can be
    // far larger than the screen, and a scaled copy of it all would be huge.
    const double sx = double(picture.width()) / width();
    const double sy = double(picture.height()) / height();
    const QRectF source(exposed.x() * sx, exposed.y() * sy, exposed.width() * sx,
                        exposed.height() * sy);
    painter.drawImage(QRectF(exposed), picture, source);
}

void ImageView::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(event->button());
    QWidget::mousePressEvent(event);
}
