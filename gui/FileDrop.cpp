#include "FileDrop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

#include <utility>

FileDrop::FileDrop(QWidget* target, std::function<bool()> accepting)
    : QObject(target), accepting(std::move(accepting)) {
    target->setAcceptDrops(true);
    target->installEventFilter(this);
}

bool FileDrop::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::DragEnter && event->type() != QEvent::Drop) {
        return QObject::eventFilter(watched, event);
    }
    // QDragEnterEvent derives from QDropEvent.
    auto* drop = static_cast<QDropEvent*>(event);
    const QList<QUrl> urls = drop->mimeData()->urls();
    if (!accepting() || urls.size() != 1 || !urls[0].isLocalFile()) {
        return true;
    }
    drop->acceptProposedAction();
    if (event->type() == QEvent::Drop) {
        emit Dropped(urls[0].toLocalFile());
    }
    return true;
}
