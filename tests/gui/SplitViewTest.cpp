#include "SplitView.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <functional>
#include <stdexcept>

namespace {

QImage Make(QSize size, const std::function<QRgb(int, int)>& colour) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            image.setPixel(x, y, colour(x, y));
        }
    }
    return image;
}

QImage Plain(QSize size, QRgb colour) {
    return Make(size, [colour](int, int) { return colour; });
}

void Wheel(SplitView& view, QPointF at, int delta, Qt::KeyboardModifiers modifiers) {
    QWheelEvent wheel(at, view.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &wheel);
}

void Drag(SplitView& view, QPoint from, QPoint to) {
    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(&view, to);
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, to);
}

void CompareBoth(const SplitView& view, const QRectF& expected) {
    QCOMPARE(view.SourceRect(0), expected);
    QCOMPARE(view.SourceRect(1), expected);
}

} // namespace

class SplitViewTest : public QObject {
    Q_OBJECT

private slots:
    void sideBySidePanesMoveTogether();
    void keysZoomAndPan();
    void spaceSwapsWhileHeld();
    void pixelUnderAPoint();
    void shownAt800PercentIsSharpBlocks();
    void fullSizeComposesTheMode();
    void differenceOfAKnownPair();
    void dividerFollowsADrag();

private:
    // Shown at a fixed size, as a person would see it.
    void Show(SplitView& view, QSize size) {
        view.resize(size);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(view.devicePixelRatioF(), 1.0);
    }
};

void SplitViewTest::sideBySidePanesMoveTogether() {
    // Panes of 256 x 260 device pixels, 4 apart; 128 x 128 fits at exactly 2, at (0, 2).
    SplitView view;
    Show(view, QSize(516, 260));
    view.SetImages(Plain(QSize(128, 128), qRgb(200, 0, 0)),
                   Plain(QSize(128, 128), qRgb(0, 0, 200)));
    view.SetMode(SplitView::Mode::SideBySide);
    CompareBoth(view, QRectF(0, 0, 128, 128));
    QSignalSpy magnification(&view, &SplitView::MagnificationChanged);
    QSignalSpy changed(&view, &SplitView::ViewChanged);
    // On the right pane, over the centre of pixel (50, 50).
    const QPointF cursor(260 + 101, 103);
    Wheel(view, cursor, 120, Qt::ControlModifier);
    QCOMPARE(view.Magnification(), 4);
    QCOMPARE(magnification.count(), 1);
    QCOMPARE(magnification.at(0).at(0).toInt(), 4);
    QVERIFY(changed.count() >= 1);
    QCOMPARE(view.ImagePixelAt(cursor), QPoint(50, 50));
    CompareBoth(view, QRectF(101 / 4.0, 99 / 4.0, 64, 65));
    Drag(view, QPoint(100, 100), QPoint(60, 80)); // on the left pane
    CompareBoth(view, QRectF(141 / 4.0, 119 / 4.0, 64, 65));
    // New pictures of the same size keep the view.
    view.SetImages(Plain(QSize(128, 128), qRgb(1, 2, 3)), Plain(QSize(128, 128), qRgb(3, 2, 1)));
    CompareBoth(view, QRectF(141 / 4.0, 119 / 4.0, 64, 65));
    // One notch scrolls 60 device pixels: 15 image pixels at 400 %.
    Wheel(view, QPointF(50, 50), 120, Qt::NoModifier);
    CompareBoth(view, QRectF(141 / 4.0, 59 / 4.0, 64, 65));
    Wheel(view, QPointF(50, 50), -120, Qt::ShiftModifier);
    CompareBoth(view, QRectF(201 / 4.0, 59 / 4.0, 64, 65));
    // 400 % down: 2 is Fit's own scale, so Fit.
    Wheel(view, QPointF(50, 50), -120, Qt::ControlModifier);
    QCOMPARE(view.Magnification(), SplitView::Fit);
    CompareBoth(view, QRectF(0, 0, 128, 128));
}

void SplitViewTest::keysZoomAndPan() {
    SplitView view;
    Show(view, QSize(400, 400));
    view.SetImages(Plain(QSize(1000, 800), qRgb(9, 9, 9)), QImage());
    QSignalSpy magnification(&view, &SplitView::MagnificationChanged);
    QTest::keyClick(&view, Qt::Key_1);
    QCOMPARE(view.Magnification(), 1);
    QCOMPARE(view.SourceRect(0), QRectF(300, 200, 400, 400));
    QTest::keyClick(&view, Qt::Key_Right);
    QTest::keyClick(&view, Qt::Key_Down);
    QCOMPARE(view.SourceRect(0), QRectF(400, 300, 400, 400));
    QTest::keyClick(&view, Qt::Key_Right);
    QTest::keyClick(&view, Qt::Key_Right);
    QTest::keyClick(&view, Qt::Key_Up);
    QCOMPARE(view.SourceRect(1), QRectF(600, 200, 400, 400)); // stopped at the right edge
    QTest::keyClick(&view, Qt::Key_Left);
    QCOMPARE(view.SourceRect(1), QRectF(500, 200, 400, 400));
    QTest::keyClick(&view, Qt::Key_Plus);
    QTest::keyClick(&view, Qt::Key_Minus);
    QTest::keyClick(&view, Qt::Key_Minus);
    QCOMPARE(view.Magnification(), SplitView::Fit);
    QTest::keyClick(&view, Qt::Key_1);
    QTest::keyClick(&view, Qt::Key_0);
    QCOMPARE(view.SourceRect(0), QRectF(0, 0, 1000, 800));
    QList<int> steps;
    for (const auto& arguments : magnification) {
        steps.append(arguments.at(0).toInt());
    }
    QCOMPARE(steps, (QList<int>{1, 2, 1, SplitView::Fit, 1, SplitView::Fit}));
}

void SplitViewTest::spaceSwapsWhileHeld() {
    SplitView view;
    Show(view, QSize(400, 400));
    const QRgb red = qRgb(220, 0, 0);
    const QRgb blue = qRgb(0, 0, 220);
    view.SetImages(Plain(QSize(64, 64), red), Plain(QSize(64, 64), blue));
    QSignalSpy swaps(&view, &SplitView::SwapChanged);
    QCOMPARE(view.RenderShown().pixel(50, 200), red);
    QCOMPARE(view.RenderShown().pixel(350, 200), blue);
    QTest::keyPress(&view, Qt::Key_Space);
    QVERIFY(view.Swapped());
    QCOMPARE(view.RenderShown().pixel(50, 200), blue);
    QCOMPARE(view.RenderShown().pixel(350, 200), red);
    // The keyboard's repeats change nothing.
    QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ", true);
    QApplication::sendEvent(&view, &repeatRelease);
    QKeyEvent repeatPress(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", true);
    QApplication::sendEvent(&view, &repeatPress);
    QVERIFY(view.Swapped());
    QTest::keyRelease(&view, Qt::Key_Space);
    QVERIFY(!view.Swapped());
    QCOMPARE(view.RenderShown().pixel(50, 200), red);
    QTest::keyPress(&view, Qt::Key_Space);
    QFocusEvent focusOut(QEvent::FocusOut);
    QApplication::sendEvent(&view, &focusOut);
    QVERIFY(!view.Swapped());
    QCOMPARE(swaps.count(), 4);
    QCOMPARE(swaps.at(0).at(0).toBool(), true);
    QCOMPARE(swaps.at(1).at(0).toBool(), false);
}

void SplitViewTest::pixelUnderAPoint() {
    // 64 x 64 at 400 %: 256 device pixels centred in 400, from 72.
    SplitView view;
    Show(view, QSize(400, 400));
    view.SetImages(Plain(QSize(64, 64), qRgb(1, 1, 1)), QImage());
    view.SetMagnification(4);
    QCOMPARE(view.ImagePixelAt(QPointF(113, 155)), QPoint(10, 20));
    QCOMPARE(view.ImagePixelAt(QPointF(72, 72)), QPoint(0, 0));
    QCOMPARE(view.ImagePixelAt(QPointF(327.9, 327.9)), QPoint(63, 63));
    QCOMPARE(view.ImagePixelAt(QPointF(71.5, 100)), QPoint(-1, -1));
    QCOMPARE(view.ImagePixelAt(QPointF(328, 100)), QPoint(-1, -1));
    QSignalSpy hovered(&view, &SplitView::PixelHovered);
    QMouseEvent move(QEvent::MouseMove, QPointF(113, 155), view.mapToGlobal(QPointF(113, 155)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &move);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&view, &leave);
    QCOMPARE(hovered.count(), 2);
    QCOMPARE(hovered.at(0).at(0).toPoint(), QPoint(10, 20));
    QCOMPARE(hovered.at(1).at(0).toPoint(), QPoint(-1, -1));
    // The gap between side-by-side panes (198 wide, the right one from 202) is no pixel.
    view.SetMode(SplitView::Mode::SideBySide);
    QCOMPARE(view.ImagePixelAt(QPointF(199.5, 200)), QPoint(-1, -1));
}

void SplitViewTest::shownAt800PercentIsSharpBlocks() {
    SplitView view;
    Show(view, QSize(400, 400));
    const QRgb left[4] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(250, 250, 250)};
    const QRgb right[4] = {qRgb(0, 0, 0), qRgb(255, 255, 0), qRgb(0, 255, 255), qRgb(255, 0, 255)};
    view.SetImages(Make(QSize(2, 2), [&](int x, int y) { return left[y * 2 + x]; }),
                   Make(QSize(2, 2), [&](int x, int y) { return right[y * 2 + x]; }));
    view.SetMode(SplitView::Mode::SideBySide);
    view.SetMagnification(8);
    // 16 x 16 device pixels centred in panes of 198 x 400: from x 91 and 202 + 91, y 192.
    const QImage shown = view.RenderShown();
    QCOMPARE(shown.size(), QSize(400, 400));
    const QRgb background = shown.pixel(5, 5);
    for (const auto& [x0, colours] : {std::pair(91, left), std::pair(293, right)}) {
        for (int y = 188; y < 212; ++y) {
            for (int x = x0 - 4; x < x0 + 20; ++x) {
                const int ix = x - x0 < 0 ? -1 : (x - x0) / 8;
                const int iy = y - 192 < 0 ? -1 : (y - 192) / 8;
                const bool inside = ix >= 0 && ix < 2 && iy >= 0 && iy < 2;
                const QRgb expected = inside ? colours[iy * 2 + ix] : background;
                QVERIFY2(shown.pixel(x, y) == expected,
                         qPrintable(QString("device pixel %1,%2").arg(x).arg(y)));
            }
        }
    }
    // What the widget paints is what RenderShown gives.
    QCOMPARE(view.grab().toImage().convertToFormat(QImage::Format_RGB32), shown);
}

void SplitViewTest::fullSizeComposesTheMode() {
    SplitView view;
    Show(view, QSize(400, 400));
    const QImage left = Make(QSize(64, 48), [](int x, int y) { return qRgb(x * 4, y * 5, 0); });
    const QImage right = Make(QSize(64, 48), [](int x, int y) { return qRgb(0, y * 5, x * 4); });
    view.SetImages(left, right);
    // Fitted 400 x 300: the divider at 200 is over image column 32.
    QCOMPARE(view.DividerFraction(), 0.5);
    const QImage full = view.RenderFullSize();
    QCOMPARE(full.size(), QSize(64, 48));
    QCOMPARE(full.copy(0, 0, 32, 48), left.copy(0, 0, 32, 48));
    QCOMPARE(full.copy(32, 0, 32, 48), right.copy(32, 0, 32, 48));
    view.SetMode(SplitView::Mode::SideBySide);
    const QImage both = view.RenderFullSize();
    QCOMPARE(both.copy(0, 0, 64, 48), left);
    QCOMPARE(both.copy(64, 0, 64, 48), right);
    view.SetMode(SplitView::Mode::Difference);
    QCOMPARE(view.RenderFullSize(), view.DifferenceImage());
}

void SplitViewTest::differenceOfAKnownPair() {
    SplitView view;
    // The common area is 3 x 1; the largest channel difference per pixel is 3, 12 and 0.
    const QRgb left[3] = {qRgb(10, 20, 30), qRgb(100, 100, 100), qRgb(0, 0, 0)};
    const QRgb right[3] = {qRgb(13, 18, 30), qRgb(100, 112, 95), qRgb(0, 0, 0)};
    view.SetImages(Make(QSize(3, 2), [&](int x, int) { return left[x]; }),
                   Make(QSize(4, 1), [&](int x, int) { return x < 3 ? right[x] : qRgb(1, 1, 1); }));
    QCOMPARE(view.LargestDifference(), 12);
    const QImage& difference = view.DifferenceImage();
    QCOMPARE(difference.format(), QImage::Format_Grayscale8);
    QCOMPARE(difference.size(), QSize(3, 1));
    // 3 of 12 amplified to 255 * 3 / 12 = 63.75, rounded.
    const uchar* row = difference.constScanLine(0);
    QCOMPARE((QList<int>{row[0], row[1], row[2]}), (QList<int>{64, 255, 0}));
    QCOMPARE(view.DifferenceCaption(), QStringLiteral("0 = black, largest difference 12 = white"));
    view.SetImages(Plain(QSize(5, 5), qRgb(7, 8, 9)), Plain(QSize(5, 5), qRgb(7, 8, 9)));
    QCOMPARE(view.LargestDifference(), 0);
    QCOMPARE(view.DifferenceImage(),
             Plain(QSize(5, 5), qRgb(0, 0, 0)).convertToFormat(QImage::Format_Grayscale8));
    QCOMPARE(view.DifferenceCaption(), QStringLiteral("identical"));
    view.SetImages(QImage(), Plain(QSize(5, 5), qRgb(7, 8, 9)));
    QVERIFY(view.DifferenceImage().isNull());
    QCOMPARE(view.LargestDifference(), 0);
}

void SplitViewTest::dividerFollowsADrag() {
    SplitView view;
    Show(view, QSize(400, 400));
    view.SetImages(Plain(QSize(800, 800), qRgb(1, 1, 1)), Plain(QSize(800, 800), qRgb(2, 2, 2)));
    view.SetMagnification(1);
    const QRectF shown = view.SourceRect(0);
    QSignalSpy changed(&view, &SplitView::ViewChanged);
    Drag(view, QPoint(203, 200), QPoint(100, 150)); // grabbed within reach of the divider
    QCOMPARE(view.DividerFraction(), 0.25);
    QCOMPARE(view.SourceRect(0), shown);
    QVERIFY(changed.count() >= 1);
    Drag(view, QPoint(300, 200), QPoint(280, 200)); // elsewhere: a pan
    QCOMPARE(view.DividerFraction(), 0.25);
    QCOMPARE(view.SourceRect(0), shown.translated(20, 0));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, view.SetDividerFraction(1.5));
}

QTEST_MAIN(SplitViewTest)

#include "SplitViewTest.moc"
