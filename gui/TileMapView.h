#pragma once

#include <QColor>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

// A square grid of count x count tiles, each painted in a colour of its own, as large as fits and
// centred. The lists hold the tiles row by row from the top: the tile in row r, column c is entry
// r * count + c. A tile without a colour (an invalid QColor) is hatched: it lies outside the
// picture.
class TileMapView : public QWidget {
    Q_OBJECT

public:
    explicit TileMapView(QWidget* parent = nullptr);

    // colors and toolTips hold count * count entries (toolTips may be empty).
    void SetTiles(int count, std::vector<QColor> colors, QStringList toolTips);
    void Clear();
    // Where the grid sits when the control is not square; centred at first.
    void SetAlignment(Qt::Alignment alignment);
    // Draws every tile the same whole number of pixels wide, the grid a little smaller than
    // the control where need be. Off at first.
    void SetWholeTiles(bool whole);

    int Count() const { return count; }
    const std::vector<QColor>& Colors() const { return colors; }
    // The tile under a point of the control, as its entry, or -1.
    int TileAt(const QPoint& point) const;
    // Where the grid is drawn; empty without tiles.
    QRect GridRect() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    Qt::Alignment alignment = Qt::AlignCenter;
    bool wholeTiles = false;
    int count = 0;
    std::vector<QColor> colors;
    QStringList toolTips;
};
