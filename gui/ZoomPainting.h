#pragma once

#include "ViewZoom.h"

#include <QImage>
#include <QPen>
#include <QRect>

#include <functional>
#include <initializer_list>

class QPainter;
class QWidget;

// The painting SplitView and ZoomImageView share. Both compose at device resolution, so that at
// a magnification k every image pixel is a whole k x k square of device pixels at any device
// pixel ratio, and only then put the result on the widget one to one.

// The device pixels behind a logical rectangle of a widget, within deviceSize.
QRect DeviceRectOf(const QRect& logical, double ratio, QSize deviceSize);

// The device rectangle area, drawn by compose with the painter's origin at the view's and its
// clip at area; text is laid out as on the widget. Null for an empty area.
QImage ComposeAtDeviceResolution(const QWidget& widget, const QRect& area,
                                 const std::function<void(QPainter&)>& compose);

// Puts a composed device rectangle on the widget, one image pixel per device pixel.
void PaintComposed(QWidget& widget, QImage composed, QPoint deviceTopLeft, double ratio);

// picture as zoom places the image in a pane whose top-left device pixel is paneOrigin, only
// within visible, nearest neighbour; each picture pixel stands for pixelSide x pixelSide image
// pixels, the picture top-left in the image. Only the picture pixels that reach visible are
// drawn.
void DrawZoomedPicture(QPainter& painter, const QImage& picture, int pixelSide,
                       const ViewZoom& zoom, QPoint paneOrigin, const QRect& visible);

// Lines every tileSide image pixels from (0, 0) over the image in pane, within area, each pen in
// turn; none when they would be closer than minimumSpacing device pixels.
void DrawZoomedGrid(QPainter& painter, const ViewZoom& zoom, const QRect& pane, const QRect& area,
                    int tileSide, double minimumSpacing, std::initializer_list<QPen> pens);
