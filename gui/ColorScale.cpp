#include "ColorScale.h"

#include <QPainter>

#include <algorithm>

namespace {
constexpr int BarWidth = 14;
constexpr int Gap = 4;
} // namespace

ColorScale::ColorScale(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

void ColorScale::SetScale(const QString& bottomText, const QString& topText,
                          std::function<QColor(double)> colorAt) {
    this->bottomText = bottomText;
    this->topText = topText;
    this->colorAt = std::move(colorAt);
    updateGeometry();
    update();
}

QSize ColorScale::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    const int labels =
        std::max({metrics.horizontalAdvance(bottomText), metrics.horizontalAdvance(topText),
                  metrics.horizontalAdvance(QStringLiteral("100.0"))});
    return QSize(BarWidth + Gap + labels + 2, 120);
}

QSize ColorScale::minimumSizeHint() const {
    return QSize(sizeHint().width(), 2 * fontMetrics().height() + 4);
}

void ColorScale::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect bar(0, 0, BarWidth, height());
    if (bar.height() <= 2 || !colorAt) {
        return;
    }
    for (int y = 0; y < bar.height(); ++y) {
        const double t = 1.0 - double(y) / std::max(1, bar.height() - 1);
        painter.setPen(colorAt(t));
        painter.drawLine(bar.left(), bar.top() + y, bar.right(), bar.top() + y);
    }
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(bar.adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect labels(bar.right() + Gap, 0, width() - bar.right() - Gap, height());
    painter.drawText(labels, Qt::AlignLeft | Qt::AlignTop, topText);
    painter.drawText(labels, Qt::AlignLeft | Qt::AlignBottom, bottomText);
}
