// Panning and anchored zoom of a picture in a scroll area.

#include "ScrollPanner.h"
#include "ImageView.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

class ScrollPannerTest : public QObject {
    Q_OBJECT

private slots:
    void ctrlWheelKeepsThePointUnderThePointer_data();
    void ctrlWheelKeepsThePointUnderThePointer();
    void middleButtonDragPans();
};

namespace {

struct Viewer {
    QScrollArea area;
    ImageView* image = new ImageView;

    Viewer() {
        QImage picture(64, 64, QImage::Format_RGB32);
        picture.fill(Qt::gray);
        image->SetPicture(picture);
        image->SetControlSize(512, 512);
        area.setWidget(image);
        area.resize(300, 300);
        new ScrollPanner(&area);
        // As the window does: each notch doubles the picture.
        QObject::connect(image, &ImageView::WheelZoom, image, [this](int steps) {
            for (int i = 0; i < steps; ++i) {
                image->SetControlSize(image->width() * 2, image->height() * 2);
            }
        });
        area.show();
    }

    QPoint Scroll() const {
        return {area.horizontalScrollBar()->value(), area.verticalScrollBar()->value()};
    }
};

} // namespace

void ScrollPannerTest::ctrlWheelKeepsThePointUnderThePointer_data() {
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<QPoint>("scroll");
    QTest::newRow("centre, unscrolled") << QPoint(150, 150) << QPoint(0, 0);
    QTest::newRow("corner, scrolled") << QPoint(40, 220) << QPoint(100, 30);
}

void ScrollPannerTest::ctrlWheelKeepsThePointUnderThePointer() {
    QFETCH(QPoint, pointer);
    QFETCH(QPoint, scroll);
    Viewer v;
    QVERIFY(QTest::qWaitForWindowExposed(&v.area));
    v.area.horizontalScrollBar()->setValue(scroll.x());
    v.area.verticalScrollBar()->setValue(scroll.y());
    const QPoint inViewport = pointer;
    const QPointF onPicture = v.image->mapFrom(v.area.viewport(), inViewport);
    const QPointF fraction(onPicture.x() / v.image->width(), onPicture.y() / v.image->height());

    QWheelEvent wheel(onPicture, v.image->mapToGlobal(onPicture), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(v.image, &wheel);
    QCOMPARE(v.image->width(), 1024);
    // The scroll bars follow once the scroll area has taken the new size.
    QTRY_VERIFY(v.Scroll() != scroll);
    const QPointF after = v.image->mapFrom(v.area.viewport(), inViewport);
    QVERIFY2(std::abs(after.x() - fraction.x() * 1024) <= 1.0 &&
                 std::abs(after.y() - fraction.y() * 1024) <= 1.0,
             qPrintable(QStringLiteral("pointer %1,%2: picture point %3,%4, wanted %5,%6")
                            .arg(pointer.x())
                            .arg(pointer.y())
                            .arg(after.x())
                            .arg(after.y())
                            .arg(fraction.x() * 1024)
                            .arg(fraction.y() * 1024)));
}

void ScrollPannerTest::middleButtonDragPans() {
    Viewer v;
    QVERIFY(QTest::qWaitForWindowExposed(&v.area));
    QTest::mousePress(v.image, Qt::MiddleButton, Qt::NoModifier, QPoint(200, 200));
    QMouseEvent move(QEvent::MouseMove, QPointF(150, 170), v.image->mapToGlobal(QPointF(150, 170)),
                     Qt::NoButton, Qt::MiddleButton, Qt::NoModifier);
    QApplication::sendEvent(v.image, &move);
    QTest::mouseRelease(v.image, Qt::MiddleButton, Qt::NoModifier, QPoint(150, 170));
    QCOMPARE(v.Scroll(), QPoint(50, 30));
    // Clicks that zoom are left to the picture: its size is as it was.
    QCOMPARE(v.image->width(), 512);
}

QTEST_MAIN(ScrollPannerTest)
#include "ScrollPannerTest.moc"
