#include "TileMapView.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

#include <stdexcept>
#include <string>

TileMapView::TileMapView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(64, 64);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void TileMapView::SetTiles(int count, std::vector<QColor> colors, QStringList toolTips) {
    const auto entries = static_cast<std::size_t>(count) * static_cast<std::size_t>(count);
    if (count < 0 || colors.size() != entries ||
        (!toolTips.isEmpty() && static_cast<std::size_t>(toolTips.size()) != entries)) {
        throw std::invalid_argument("TileMapView: " + std::to_string(colors.size()) +
                                    " colours for " + std::to_string(count) + " tiles per side");
    }
    this->count = count;
    this->colors = std::move(colors);
    this->toolTips = std::move(toolTips);
    update();
}

void TileMapView::Clear() {
    SetTiles(0, {}, {});
}

QSize TileMapView::sizeHint() const {
    return QSize(160, 160);
}

void TileMapView::SetAlignment(Qt::Alignment newAlignment) {
    alignment = newAlignment;
    update();
}

void TileMapView::SetWholeTiles(bool whole) {
    wholeTiles = whole;
    update();
}

QRect TileMapView::GridRect() const {
    // One pixel is kept for the frame's right and bottom lines.
    int side = std::min(width(), height()) - 1;
    if (count <= 0 || side <= 0) {
        return QRect();
    }
    if (wholeTiles && side >= count) {
        side = side / count * count;
    }
    return QStyle::alignedRect(layoutDirection(), alignment, QSize(side, side), rect());
}

int TileMapView::TileAt(const QPoint& point) const {
    const QRect grid = GridRect();
    if (!grid.contains(point)) {
        return -1;
    }
    const int column = (point.x() - grid.left()) * count / grid.width();
    const int row = (point.y() - grid.top()) * count / grid.height();
    if (column < 0 || row < 0 || column >= count || row >= count) {
        return -1;
    }
    return row * count + column;
}

void TileMapView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect grid = GridRect();
    if (grid.isEmpty()) {
        return;
    }
    const auto edge = [&](int i, int from, int length) { return from + i * length / count; };
    for (int row = 0; row < count; ++row) {
        for (int column = 0; column < count; ++column) {
            const QRect tile(QPoint(edge(column, grid.left(), grid.width()),
                                    edge(row, grid.top(), grid.height())),
                             QPoint(edge(column + 1, grid.left(), grid.width()) - 1,
                                    edge(row + 1, grid.top(), grid.height()) - 1));
            const QColor& color = colors[static_cast<std::size_t>(row) * count + column];
            if (color.isValid()) {
                painter.fillRect(tile, color);
            } else {
                painter.fillRect(tile, QBrush(palette().color(QPalette::Mid), Qt::BDiagPattern));
            }
        }
    }
    // Lines between tiles while they are large enough to show them.
    if (grid.width() / count >= 6) {
        painter.setPen(palette().color(QPalette::Window));
        for (int i = 1; i < count; ++i) {
            const int x = edge(i, grid.left(), grid.width());
            const int y = edge(i, grid.top(), grid.height());
            painter.drawLine(x, grid.top(), x, grid.bottom());
            painter.drawLine(grid.left(), y, grid.right(), y);
        }
    }
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(grid);
}

bool TileMapView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int tile = TileAt(help->pos());
        if (tile >= 0 && tile < toolTips.size()) {
            QToolTip::showText(help->globalPos(), toolTips[tile], this);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QWidget::event(event);
}
