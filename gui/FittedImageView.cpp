#include "FittedImageView.h"

#include <QPainter>
#include <QStyle>

#include <algorithm>

FittedImageView::FittedImageView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(64, 64);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void FittedImageView::SetPicture(const QImage& image) {
    picture = image;
    update();
}

void FittedImageView::SetAlignment(Qt::Alignment newAlignment) {
    alignment = newAlignment;
    update();
}

void FittedImageView::SetWholeMagnification(bool whole) {
    wholeMagnification = whole;
    update();
}

QRect FittedImageView::PictureRect() const {
    if (picture.isNull() || width() <= 0 || height() <= 0) {
        return QRect();
    }
    QSize fitted = picture.size().scaled(size(), Qt::KeepAspectRatio);
    if (wholeMagnification && picture.width() <= width() && picture.height() <= height()) {
        fitted = picture.size() * std::min(width() / picture.width(), height() / picture.height());
    }
    return QStyle::alignedRect(layoutDirection(), alignment, fitted, rect());
}

QSize FittedImageView::sizeHint() const {
    return QSize(160, 160);
}

void FittedImageView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect target = PictureRect();
    if (!target.isEmpty()) {
        painter.drawImage(target, picture);
    }
}
