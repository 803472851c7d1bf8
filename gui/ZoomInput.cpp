#include "ZoomInput.h"

#include <QWheelEvent>
#include <QtMath>

namespace {

// Logical pixels a notch of the plain wheel scrolls.
constexpr double WheelPanPerNotch = 60;
constexpr double NotchAngle = QWheelEvent::DefaultDeltasPerStep;

} // namespace

void ZoomInput::Wheel(const QWheelEvent& event, double ratio, QPointF anchor, ViewZoom& zoom) {
    if (event.modifiers() & Qt::ControlModifier) {
        wheelAngle += event.angleDelta().y();
        const int steps = wheelAngle / QWheelEvent::DefaultDeltasPerStep;
        wheelAngle -= steps * QWheelEvent::DefaultDeltasPerStep;
        Step(zoom, anchor, steps);
        return;
    }
    const QPointF delta = event.pixelDelta().isNull() ? QPointF(event.angleDelta()) *
                                                            (WheelPanPerNotch * ratio / NotchAngle)
                                                      : QPointF(event.pixelDelta()) * ratio;
    if (event.modifiers() & Qt::ShiftModifier) {
        // Some platforms already turn Shift+wheel into a horizontal delta.
        zoom.PanBy(qRound(delta.y() != 0 ? delta.y() : delta.x()), 0);
    } else {
        zoom.PanBy(qRound(delta.x()), qRound(delta.y()));
    }
}

void ZoomInput::Step(ViewZoom& zoom, QPointF devicePoint, int steps) {
    for (; steps > 0 && zoom.ZoomIn(devicePoint); --steps) {
    }
    for (; steps < 0 && zoom.ZoomOut(devicePoint); ++steps) {
    }
}

bool ZoomInput::Key(int key, ViewZoom& zoom) {
    const QSize view = zoom.ViewportSize();
    const QPointF centre(view.width() / 2.0, view.height() / 2.0);
    switch (key) {
    // An arrow looks that way: the picture moves the other.
    case Qt::Key_Left:
        zoom.PanBy(view.width() / 4, 0);
        return true;
    case Qt::Key_Right:
        zoom.PanBy(-view.width() / 4, 0);
        return true;
    case Qt::Key_Up:
        zoom.PanBy(0, view.height() / 4);
        return true;
    case Qt::Key_Down:
        zoom.PanBy(0, -view.height() / 4);
        return true;
    case Qt::Key_1:
        zoom.SetMagnification(1);
        return true;
    case Qt::Key_0:
        zoom.SetMagnification(ViewZoom::Fit);
        return true;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        Step(zoom, centre, 1);
        return true;
    case Qt::Key_Minus:
        Step(zoom, centre, -1);
        return true;
    default:
        return false;
    }
}
