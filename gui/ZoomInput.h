#pragma once

#include "ViewZoom.h"

#include <QPointF>

class QWheelEvent;

// The wheel and the keys as SplitView and ZoomImageView read them, applied to their zoom in
// device pixels; the caller tells what changed. Ctrl+wheel steps through Fit and the presets
// about the pointer, one step a notch (a touchpad's fractions of a notch add up); the plain wheel
// scrolls, Shift+wheel across. Arrows look a quarter of the viewport that way, 1 is 100 %, 0 is
// Fit, + (or =) and - step about the centre.
class ZoomInput {
public:
    // anchor: the device point Ctrl+wheel zooms about, in the zoom's viewport.
    void Wheel(const QWheelEvent& event, double ratio, QPointF anchor, ViewZoom& zoom);
    // False, and nothing done, for a key that is none of the above.
    static bool Key(int key, ViewZoom& zoom);
    // steps preset steps up (negative: down) about devicePoint, as far as they go.
    static void Step(ViewZoom& zoom, QPointF devicePoint, int steps);

private:
    int wheelAngle = 0;
};
