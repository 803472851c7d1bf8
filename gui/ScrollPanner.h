#pragma once

#include <QObject>
#include <QPoint>
#include <QPointF>
#include <QSize>

class QWidget;

class QScrollArea;

// Panning and anchored zoom for a picture in a scroll area whose own clicks zoom it: dragging
// with the middle button moves the view, and when Ctrl+wheel changes the picture's size, the
// scroll bars follow so that the point under the pointer stays there. The picture's own mouse
// handling is left as it is.
class ScrollPanner : public QObject {
    Q_OBJECT

public:
    // Watches the scroll area's widget; the object belongs to the scroll area.
    explicit ScrollPanner(QScrollArea* area);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void KeepAnchor();

    QScrollArea* area;
    // The scroll area's widget when this was made.
    QWidget* picture;
    bool dragging = false;
    QPoint dragStart;
    QPoint scrollStart;
    // At a Ctrl+wheel: where the pointer was over the viewport, the picture point under it as a
    // fraction of the picture's size, and that size.
    QPoint anchorInViewport;
    QPointF anchorFraction;
    QSize anchorSize;
};
