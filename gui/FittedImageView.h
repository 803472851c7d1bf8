#pragma once

#include <QImage>
#include <QWidget>

// Shows a picture as large as fits inside the control, its aspect ratio kept, centred, each
// pixel a sharp block when enlarged; the rest of the control is left in the window colour.
class FittedImageView : public QWidget {
    Q_OBJECT

public:
    explicit FittedImageView(QWidget* parent = nullptr);

    void SetPicture(const QImage& picture);
    // Where the picture sits when the control is wider or taller than it; centred at first.
    void SetAlignment(Qt::Alignment alignment);
    // Enlarges the picture only by a whole factor, so that every pixel is a block of the same
    // size; a picture larger than the control is still shrunk to fit. Off at first.
    void SetWholeMagnification(bool whole);
    const QImage& Picture() const { return picture; }
    // Where the picture is drawn, in the control's coordinates; empty without a picture.
    QRect PictureRect() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture;
    Qt::Alignment alignment = Qt::AlignCenter;
    bool wholeMagnification = false;
};
