#pragma once

#include "Canvas.h"

#include <QImage>
#include <QWidget>

// An image control: shows its picture stretched to the control's own size.
// The control's width, not the picture's, is the side a conversion processes.
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

signals:
    void MouseDown(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage picture;
    Canvas canvas;
};
