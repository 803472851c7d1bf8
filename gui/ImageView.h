#pragma once

#include "Canvas.h"

#include <QImage>
#include <QWidget>

// An image control: shows its picture as large as fits inside the control, its aspect ratio
// kept, centred. The control's width, not the picture's, is the side a conversion processes.
class ImageView : public QWidget {
    Q_OBJECT

public:
    explicit ImageView(QWidget* parent = nullptr);

    // The bitmap itself; draw on it through GetCanvas() so the view repaints.
    QImage& Picture() { return picture; }
    const QImage& Picture() const { return picture; }
    // Replaces the picture by an independent copy of image.
    void SetPicture(const QImage& image);
    Canvas& GetCanvas() { return canvas; }

    // Sets the control's width and height (it keeps that fixed size).
    void SetControlSize(int width, int height);

    // Where the picture is drawn, in the control's coordinates; empty without a picture.
    QRect PictureRect() const;

    // A rectangle of the picture, in its pixels, outlined over the view (never drawn into the
    // picture); an empty rectangle shows none.
    void SetOutline(const QRect& pictureRect);
    QRect Outline() const { return outline; }

    // Adds to the tooltip that clicking and Ctrl+wheel zoom the image; the tooltip itself stays.
    void SetZoomHelp(bool shown) { zoomHelp = shown; }

signals:
    void MouseDown(Qt::MouseButton button);
    // Ctrl+wheel: a positive number of steps zooms in, a negative one out.
    void WheelZoom(int steps);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QImage picture;
    Canvas canvas;
    QRect outline;
    bool zoomHelp = false;
    int wheelAngle = 0;
};
