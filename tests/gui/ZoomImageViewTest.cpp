#include "ZoomImageView.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>
#include <QtMath>

#include <stdexcept>

namespace {

QImage Plain(QSize size, QRgb colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

void Wheel(ZoomImageView& view, QPointF at, int delta, Qt::KeyboardModifiers modifiers) {
    QWheelEvent wheel(at, view.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &wheel);
}

QList<int> Emitted(const QSignalSpy& spy) {
    QList<int> values;
    for (const auto& arguments : spy) {
        values.append(arguments.at(0).toInt());
    }
    return values;
}

} // namespace

class ZoomImageViewTest : public QObject {
    Q_OBJECT

private slots:
    void ctrlWheelKeepsThePixelUnderThePointer_data();
    void ctrlWheelKeepsThePixelUnderThePointer();
    void dragAndWheelPan();
    void keysZoomAndPan();
    void shownAt800PercentIsWholeBlocks_data();
    void shownAt800PercentIsWholeBlocks();
    void fitPlacesThePicture_data();
    void fitPlacesThePicture();
    void newPictureHoverAndToolTips();

private:
    void Show(ZoomImageView& view, QSize size) {
        view.resize(size);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(view.devicePixelRatioF(), 1.0);
    }
};

void ZoomImageViewTest::ctrlWheelKeepsThePixelUnderThePointer_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<int>("pixelSide");
    QTest::addColumn<bool>("whole");
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<QList<int>>("up");
    // 400 x 300 views. Fit at exactly 4: 123 / 4, 87 / 4.
    QTest::addRow("fit 4") << QSize(100, 75) << 1 << false << QPoint(123, 87) << QPoint(30, 21)
                           << QList<int>{8, 16, 32};
    // Fit at 0.3, 375 x 300 from x 12: 139 / 0.3, 211 / 0.3.
    QTest::addRow("fit 0.3") << QSize(1250, 1000) << 1 << false << QPoint(151, 211)
                             << QPoint(463, 703) << QList<int>{1, 2, 4, 8, 16, 32};
    // Whole factors: 6 (not 6.67) from (20, 30): 185 / 6, 121 / 6; blocks of 4 pixels 30
    // device pixels wide (7.5 each) from x 50: 153 / 7.5, 151 / 7.5.
    QTest::addRow("whole 6") << QSize(60, 40) << 1 << true << QPoint(205, 151) << QPoint(30, 20)
                             << QList<int>{8, 16, 32};
    QTest::addRow("blocks of 4") << QSize(10, 10) << 4 << true << QPoint(203, 151) << QPoint(20, 20)
                                 << QList<int>{8, 16, 32};
}

void ZoomImageViewTest::ctrlWheelKeepsThePixelUnderThePointer() {
    QFETCH(QSize, picture);
    QFETCH(int, pixelSide);
    QFETCH(bool, whole);
    QFETCH(QPoint, pointer);
    QFETCH(QPoint, pixel);
    QFETCH(QList<int>, up);
    ZoomImageView view;
    Show(view, QSize(400, 300));
    view.SetWholeFactorsWhenFitting(whole);
    view.SetPicture(Plain(picture, qRgb(1, 2, 3)), pixelSide);
    QCOMPARE(view.Magnification(), ZoomImageView::Fit);
    QCOMPARE(view.ImagePixelAt(pointer), pixel);
    QSignalSpy magnification(&view, &ZoomImageView::MagnificationChanged);
    for (int i = 0; i < up.size() + 1; ++i) {
        Wheel(view, pointer, 120, Qt::ControlModifier);
        QVERIFY2(view.ImagePixelAt(pointer) == pixel, qPrintable(QString::number(i)));
    }
    QCOMPARE(Emitted(magnification), up);
    magnification.clear();
    // Back down to Fit in one turn of as many notches.
    Wheel(view, pointer, -120 * int(up.size()), Qt::ControlModifier);
    QCOMPARE(view.Magnification(), ZoomImageView::Fit);
    QCOMPARE(view.ImagePixelAt(pointer), pixel);
    QCOMPARE(view.SourceRect(), QRectF(QPointF(0, 0), QSizeF(picture * pixelSide)));
    QCOMPARE(magnification.count(), 1);
}

void ZoomImageViewTest::dragAndWheelPan() {
    ZoomImageView view;
    Show(view, QSize(400, 400));
    view.SetPicture(Plain(QSize(1000, 800), qRgb(9, 9, 9)));
    view.SetMagnification(1);
    QCOMPARE(view.SourceRect(), QRectF(300, 200, 400, 400));
    QCOMPARE(view.cursor().shape(), Qt::OpenHandCursor);
    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, QPoint(200, 200));
    QCOMPARE(view.cursor().shape(), Qt::ClosedHandCursor);
    QTest::mouseMove(&view, QPoint(160, 170));
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, QPoint(160, 170));
    QCOMPARE(view.cursor().shape(), Qt::OpenHandCursor);
    QCOMPARE(view.SourceRect(), QRectF(340, 230, 400, 400));
    QTest::mousePress(&view, Qt::MiddleButton, Qt::NoModifier, QPoint(100, 100));
    QTest::mouseMove(&view, QPoint(110, 100));
    QTest::mouseRelease(&view, Qt::MiddleButton, Qt::NoModifier, QPoint(110, 100));
    QCOMPARE(view.SourceRect(), QRectF(330, 230, 400, 400));
    // A notch scrolls 60 pixels; Shift+wheel across; and no further than the edge.
    Wheel(view, QPointF(50, 50), 120, Qt::NoModifier);
    QCOMPARE(view.SourceRect(), QRectF(330, 170, 400, 400));
    Wheel(view, QPointF(50, 50), -120, Qt::ShiftModifier);
    QCOMPARE(view.SourceRect(), QRectF(390, 170, 400, 400));
    Wheel(view, QPointF(50, 50), 120 * 10, Qt::NoModifier);
    QCOMPARE(view.SourceRect(), QRectF(390, 0, 400, 400));
}

void ZoomImageViewTest::keysZoomAndPan() {
    ZoomImageView view;
    Show(view, QSize(400, 400));
    view.SetPicture(Plain(QSize(1000, 800), qRgb(9, 9, 9)));
    QSignalSpy magnification(&view, &ZoomImageView::MagnificationChanged);
    QTest::keyClick(&view, Qt::Key_1);
    QCOMPARE(view.SourceRect(), QRectF(300, 200, 400, 400));
    // A quarter of the view that way.
    QTest::keyClick(&view, Qt::Key_Right);
    QTest::keyClick(&view, Qt::Key_Down);
    QCOMPARE(view.SourceRect(), QRectF(400, 300, 400, 400));
    QTest::keyClick(&view, Qt::Key_Left);
    QTest::keyClick(&view, Qt::Key_Up);
    QTest::keyClick(&view, Qt::Key_Up);
    QCOMPARE(view.SourceRect(), QRectF(300, 100, 400, 400));
    QTest::keyClick(&view, Qt::Key_Plus);
    QCOMPARE(view.SourceRect(), QRectF(400, 200, 200, 200));
    QTest::keyClick(&view, Qt::Key_Minus);
    QTest::keyClick(&view, Qt::Key_Minus);
    QTest::keyClick(&view, Qt::Key_1);
    QTest::keyClick(&view, Qt::Key_0);
    QCOMPARE(view.SourceRect(), QRectF(0, 0, 1000, 800));
    QCOMPARE(Emitted(magnification),
             (QList<int>{1, 2, 1, ZoomImageView::Fit, 1, ZoomImageView::Fit}));
}

void ZoomImageViewTest::shownAt800PercentIsWholeBlocks_data() {
    QTest::addColumn<int>("pixelSide");
    QTest::addColumn<QPoint>("origin");
    // 3 x 2 picture pixels of 8 * side device pixels, centred in 400 x 400.
    QTest::addRow("pixel side 1") << 1 << QPoint(188, 192);
    QTest::addRow("pixel side 3") << 3 << QPoint(164, 176);
}

void ZoomImageViewTest::shownAt800PercentIsWholeBlocks() {
    QFETCH(int, pixelSide);
    QFETCH(QPoint, origin);
    const QRgb colours[6] = {qRgb(255, 0, 0),   qRgb(0, 255, 0),     qRgb(0, 0, 255),
                             qRgb(10, 200, 30), qRgb(250, 250, 250), qRgba(0, 0, 0, 0)};
    QImage picture(3, 2, QImage::Format_ARGB32);
    for (int i = 0; i < 6; ++i) {
        picture.setPixel(i % 3, i / 3, colours[i]);
    }
    ZoomImageView view;
    Show(view, QSize(400, 400));
    view.SetPicture(picture, pixelSide);
    view.SetMagnification(8);
    const QImage shown = view.RenderShown();
    const QRgb window = view.palette().color(QPalette::Window).rgb();
    const QRgb mid = view.palette().color(QPalette::Mid).rgb();
    const int block = 8 * pixelSide;
    int hatched[2] = {};
    for (int y = origin.y() - 4; y < origin.y() + 2 * block + 4; ++y) {
        for (int x = origin.x() - 4; x < origin.x() + 3 * block + 4; ++x) {
            const int px = x < origin.x() ? -1 : (x - origin.x()) / block;
            const int py = y < origin.y() ? -1 : (y - origin.y()) / block;
            const bool inside = px >= 0 && px < 3 && py >= 0 && py < 2;
            const QRgb got = shown.pixel(x, y);
            if (inside && py * 3 + px == 5) {
                // Transparent: the hatch, lines of the mid colour on the window colour.
                QVERIFY(got == window || got == mid);
                ++hatched[got == mid ? 1 : 0];
                continue;
            }
            const QRgb expected = inside ? colours[py * 3 + px] : window;
            QVERIFY2(got == expected, qPrintable(QString("device pixel %1,%2").arg(x).arg(y)));
        }
    }
    QVERIFY(hatched[0] > 0 && hatched[1] > 0);
    QCOMPARE(view.grab().toImage().convertToFormat(QImage::Format_RGB32), shown);
}

void ZoomImageViewTest::fitPlacesThePicture_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<int>("pixelSide");
    QTest::addColumn<bool>("whole");
    QTest::addColumn<int>("magnification");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QRect>("placed");
    const int rightTop = Qt::AlignRight | Qt::AlignTop;
    // In 500 x 400: twice (not 2.5 times), right and top.
    QTest::addRow("whole") << QSize(200, 150) << 1 << true << 0 << rightTop
                           << QRect(100, 0, 400, 300);
    QTest::addRow("free") << QSize(200, 150) << 1 << false << 0 << rightTop
                          << QRect(0, 0, 500, 375);
    // Larger than the view: still fitted, 500 * 300 / 600 high, centred.
    QTest::addRow("whole, larger")
        << QSize(600, 300) << 1 << true << 0 << int(Qt::AlignCenter) << QRect(0, 75, 500, 250);
    // Tiles of 64: 3 of 133 fit 400 high, not 3 of 133.33.
    QTest::addRow("tiles") << QSize(3, 3) << 64 << true << 0 << rightTop << QRect(101, 0, 399, 399);
    QTest::addRow("tiles, 100 %%")
        << QSize(4, 4) << 64 << true << 1 << int(Qt::AlignLeft | Qt::AlignBottom)
        << QRect(0, 144, 256, 256);
}

void ZoomImageViewTest::fitPlacesThePicture() {
    QFETCH(QSize, picture);
    QFETCH(int, pixelSide);
    QFETCH(bool, whole);
    QFETCH(int, magnification);
    QFETCH(int, alignment);
    QFETCH(QRect, placed);
    ZoomImageView view;
    Show(view, QSize(500, 400));
    view.SetAlignment(Qt::Alignment(alignment));
    view.SetWholeFactorsWhenFitting(whole);
    view.SetPicture(Plain(picture, qRgb(5, 5, 5)), pixelSide);
    view.SetMagnification(magnification);
    QCOMPARE(view.PictureRect(), placed);
    QCOMPARE(view.ImagePixelAt(QPointF(placed.topLeft())), QPoint(0, 0));
    QCOMPARE(view.ImagePixelAt(QPointF(placed.topLeft()) - QPointF(0.5, 0.5)), QPoint(-1, -1));
}

void ZoomImageViewTest::newPictureHoverAndToolTips() {
    ZoomImageView view;
    Show(view, QSize(400, 400));
    view.SetPicture(Plain(QSize(1000, 800), qRgb(1, 1, 1)));
    view.SetMagnification(2);
    QTest::keyClick(&view, Qt::Key_Right);
    const QRectF shown = view.SourceRect();
    QCOMPARE(shown, QRectF(450, 300, 200, 200));
    // Same size: the view stays; smaller, the centre stays where it can.
    view.SetPicture(Plain(QSize(1000, 800), qRgb(2, 2, 2)));
    QCOMPARE(view.SourceRect(), shown);
    view.SetPicture(Plain(QSize(700, 600), qRgb(2, 2, 2)));
    QCOMPARE(view.Magnification(), 2);
    QCOMPARE(view.SourceRect(), QRectF(450, 300, 200, 200));
    QSignalSpy hovered(&view, &ZoomImageView::PixelHovered);
    QMouseEvent move(QEvent::MouseMove, QPointF(101, 51), view.mapToGlobal(QPointF(101, 51)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &move);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&view, &leave);
    QCOMPARE(hovered.count(), 2);
    QCOMPARE(hovered.at(0).at(0).toPoint(), QPoint(500, 325));
    QCOMPARE(hovered.at(1).at(0).toPoint(), QPoint(-1, -1));
    // A tip per pixel at any zoom.
    view.SetPixelToolTip([](QPoint p) { return QStringLiteral("%1,%2").arg(p.x()).arg(p.y()); });
    view.SetMagnification(8);
    const QPoint at(203, 17);
    const QPointF corner = view.SourceRect().topLeft();
    QHelpEvent help(QEvent::ToolTip, at, view.mapToGlobal(at));
    QApplication::sendEvent(&view, &help);
    QCOMPARE(QToolTip::text(), QStringLiteral("%1,%2")
                                   .arg(qFloor(corner.x() + 203 / 8.0))
                                   .arg(qFloor(corner.y() + 17 / 8.0)));
    QToolTip::hideText();
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, view.SetPicture(QImage(), 0));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, view.SetGridLines(-1, Qt::red));
}

QTEST_MAIN(ZoomImageViewTest)

#include "ZoomImageViewTest.moc"
