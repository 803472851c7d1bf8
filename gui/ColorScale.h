#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <functional>

// A legend: a vertical bar of the colours a map gives to 0..1 as tall as the control, the top
// value written beside its top end and the bottom value beside its bottom end.
class ColorScale : public QWidget {
    Q_OBJECT

public:
    explicit ColorScale(QWidget* parent = nullptr);

    // colorAt(t) for t in 0..1, bottom to top.
    void SetScale(const QString& bottomText, const QString& topText,
                  std::function<QColor(double)> colorAt);

    QString BottomText() const { return bottomText; }
    QString TopText() const { return topText; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString bottomText;
    QString topText;
    std::function<QColor(double)> colorAt;
};
