#include "ScrollPanner.h"

#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include <stdexcept>

ScrollPanner::ScrollPanner(QScrollArea* area)
    : QObject(area), area(area), picture(area != nullptr ? area->widget() : nullptr) {
    if (picture == nullptr) {
        throw std::invalid_argument("ScrollPanner: the scroll area must hold a widget");
    }
    picture->installEventFilter(this);
}

bool ScrollPanner::eventFilter(QObject* watched, QEvent* event) {
    // Only the picture's own events: while the scroll area goes, it is no scroll area any more.
    if (watched != picture) {
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::MiddleButton) {
            dragging = true;
            dragStart = mouse->globalPosition().toPoint();
            scrollStart = {area->horizontalScrollBar()->value(),
                           area->verticalScrollBar()->value()};
            picture->setCursor(Qt::ClosedHandCursor);
        }
        return false;
    }
    case QEvent::MouseMove: {
        if (dragging) {
            const QPoint moved =
                static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - dragStart;
            area->horizontalScrollBar()->setValue(scrollStart.x() - moved.x());
            area->verticalScrollBar()->setValue(scrollStart.y() - moved.y());
            return true;
        }
        return false;
    }
    case QEvent::MouseButtonRelease:
        if (dragging && static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton) {
            dragging = false;
            picture->unsetCursor();
            return true;
        }
        return false;
    case QEvent::Wheel: {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if ((wheel->modifiers() & Qt::ControlModifier) && picture->width() > 0 &&
            picture->height() > 0) {
            const QPointF at = wheel->position();
            anchorFraction = {at.x() / picture->width(), at.y() / picture->height()};
            anchorInViewport = picture->mapTo(area->viewport(), at.toPoint());
            anchorSize = picture->size();
            // After the picture has zoomed and the scroll area has set its ranges for it.
            QMetaObject::invokeMethod(this, &ScrollPanner::KeepAnchor, Qt::QueuedConnection);
        }
        return false;
    }
    default:
        return false;
    }
}

void ScrollPanner::KeepAnchor() {
    if (picture->size() == anchorSize) {
        return;
    }
    const QPoint target(static_cast<int>(anchorFraction.x() * picture->width()),
                        static_cast<int>(anchorFraction.y() * picture->height()));
    area->horizontalScrollBar()->setValue(target.x() - anchorInViewport.x());
    area->verticalScrollBar()->setValue(target.y() - anchorInViewport.y());
}
