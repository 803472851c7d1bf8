#include "ViewZoom.h"

#include <QTest>
#include <QtMath>

#include <climits>
#include <stdexcept>
#include <vector>

namespace {

const double Ratios[] = {1, 1.25, 1.5, 2};

QSize Device(QSize logical, double ratio) {
    return QSize(qCeil(logical.width() * ratio), qCeil(logical.height() * ratio));
}

QByteArray Name(int magnification, double ratio) {
    return QByteArray("magnification ") + QByteArray::number(magnification) + ", ratio " +
           QByteArray::number(ratio);
}

std::vector<int> Ladder(ViewZoom& zoom, bool in) {
    std::vector<int> steps;
    while (in ? zoom.ZoomIn(QPointF(1, 1)) : zoom.ZoomOut(QPointF(1, 1))) {
        steps.push_back(zoom.Magnification());
    }
    return steps;
}

} // namespace

class ViewZoomTest : public QObject {
    Q_OBJECT

private slots:
    void everyImagePixelIsAWholeSquare_data();
    void everyImagePixelIsAWholeSquare();
    void fitIsAsLargeAsFitsAndCentred_data();
    void fitIsAsLargeAsFitsAndCentred();
    void zoomAboutKeepsThePointUnderTheCursor_data();
    void zoomAboutKeepsThePointUnderTheCursor();
    void panningClampsToTheImage();
    void newSizesKeepMagnificationAndCentre();
    void stepsRunThroughFitAndThePresets();
    void fitBlocksAndAlignment();
    void wrongArgumentsThrow();
};

void ViewZoomTest::everyImagePixelIsAWholeSquare_data() {
    QTest::addColumn<int>("magnification");
    QTest::addColumn<double>("ratio");
    for (const int k : ViewZoom::Presets) {
        for (const double ratio : Ratios) {
            QTest::newRow(Name(k, ratio).constData()) << k << ratio;
        }
    }
}

void ViewZoomTest::everyImagePixelIsAWholeSquare() {
    QFETCH(int, magnification);
    QFETCH(double, ratio);
    const int k = magnification;
    const QSize image(37, 23);
    ViewZoom zoom;
    zoom.SetViewportSize(Device(QSize(150, 90), ratio));
    zoom.SetImageSize(image);
    zoom.SetMagnification(k);
    // A logical drag, rounded to device pixels as the view does.
    zoom.PanBy(qRound(-13 * ratio), qRound(-7 * ratio));
    // Each device pixel's centre lies in the k x k square on whole pixels of the image pixel it
    // shows; a square inside the viewport is shown by exactly k * k device pixels.
    const QSize view = zoom.ViewportSize();
    std::vector<int> counts(image.width() * image.height());
    for (int y = 0; y < view.height(); ++y) {
        for (int x = 0; x < view.width(); ++x) {
            const QPointF shown = zoom.ToImage(QPointF(x + 0.5, y + 0.5));
            const int ix = qFloor(shown.x());
            const int iy = qFloor(shown.y());
            if (ix < 0 || iy < 0 || ix >= image.width() || iy >= image.height()) {
                continue;
            }
            const QPointF corner = zoom.ToDevice(QPointF(ix, iy));
            if (corner != QPointF(qFloor(corner.x()), qFloor(corner.y())) || x < corner.x() ||
                y < corner.y() || x >= corner.x() + k || y >= corner.y() + k) {
                QFAIL(Name(k, ratio) + ", device pixel " + QByteArray::number(x) + "," +
                      QByteArray::number(y));
            }
            ++counts[iy * image.width() + ix];
        }
    }
    int whole = 0;
    for (int iy = 0; iy < image.height(); ++iy) {
        for (int ix = 0; ix < image.width(); ++ix) {
            const QPointF c = zoom.ToDevice(QPointF(ix, iy));
            if (c.x() >= 0 && c.y() >= 0 && c.x() + k <= view.width() &&
                c.y() + k <= view.height()) {
                QVERIFY2(counts[iy * image.width() + ix] == k * k,
                         Name(k, ratio) + ", image pixel " + QByteArray::number(ix) + "," +
                             QByteArray::number(iy));
                ++whole;
            }
        }
    }
    QVERIFY2(whole > 0, Name(k, ratio));
}

void ViewZoomTest::fitIsAsLargeAsFitsAndCentred_data() {
    QTest::addColumn<QSize>("image");
    QTest::addColumn<QSize>("viewport");
    QTest::addColumn<QRect>("fitted");
    QTest::newRow("wide in square") << QSize(100, 50) << QSize(300, 300) << QRect(0, 75, 300, 150);
    QTest::newRow("tall in square") << QSize(50, 100) << QSize(300, 300) << QRect(75, 0, 150, 300);
    QTest::newRow("large, ratio 1.25")
        << QSize(2048, 2048) << QSize(500, 375) << QRect(62, 0, 375, 375);
    QTest::newRow("tiny, rounded down") << QSize(3, 2) << QSize(10, 10) << QRect(0, 2, 10, 6);
}

void ViewZoomTest::fitIsAsLargeAsFitsAndCentred() {
    QFETCH(QSize, image);
    QFETCH(QSize, viewport);
    QFETCH(QRect, fitted);
    ViewZoom zoom;
    zoom.SetImageSize(image);
    zoom.SetViewportSize(viewport);
    QCOMPARE(zoom.Magnification(), ViewZoom::Fit);
    QCOMPARE(zoom.ImageRect(), fitted);
    zoom.PanBy(40, -40);
    QCOMPARE(zoom.ImageRect(), fitted);
    QCOMPARE(zoom.SourceRect(), QRectF(QPointF(0, 0), QSizeF(image)));
    QCOMPARE(zoom.ToImage(QPointF(fitted.topLeft())), QPointF(0, 0));
    QCOMPARE(zoom.ToImage(QPointF(fitted.bottomRight()) + QPointF(1, 1)),
             QPointF(image.width(), image.height()));
}

void ViewZoomTest::zoomAboutKeepsThePointUnderTheCursor_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<double>("ratio");
    for (const int from : {ViewZoom::Fit, 1, 4}) {
        for (const int to : {1, 2, 8, 32}) {
            for (const double ratio : Ratios) {
                QTest::newRow((Name(from, ratio) + " to " + QByteArray::number(to)).constData())
                    << from << to << ratio;
            }
        }
    }
}

void ViewZoomTest::zoomAboutKeepsThePointUnderTheCursor() {
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(double, ratio);
    ViewZoom zoom;
    zoom.SetViewportSize(Device(QSize(160, 120), ratio));
    zoom.SetImageSize(QSize(400, 300));
    zoom.SetMagnification(from);
    zoom.PanBy(-5, 3);
    // Near the middle, so that clamping leaves the zoom alone.
    const QPointF cursor(0.43 * zoom.ViewportSize().width() + 0.3,
                         0.57 * zoom.ViewportSize().height() + 0.7);
    const QPointF under = zoom.ToImage(cursor);
    zoom.ZoomAbout(cursor, to);
    const QByteArray name = Name(from, ratio) + " to " + QByteArray::number(to);
    QVERIFY2(zoom.Magnification() == to, name);
    // Half a device pixel at most, the origin's rounding (ties land on exactly 0.5).
    const QPointF now = zoom.ToDevice(under);
    const double reach = 0.5 + 1e-9;
    QVERIFY2(std::abs(now.x() - cursor.x()) <= reach && std::abs(now.y() - cursor.y()) <= reach,
             name + ": the point moved to " + QByteArray::number(now.x()) + "," +
                 QByteArray::number(now.y()));
}

void ViewZoomTest::panningClampsToTheImage() {
    ViewZoom zoom;
    zoom.SetViewportSize(QSize(150, 120));
    zoom.SetImageSize(QSize(100, 50));
    zoom.SetMagnification(2);
    // 200 x 100 device pixels: no gap across, centred down.
    zoom.PanBy(1000, 1000);
    QCOMPARE(zoom.ImageRect(), QRect(0, 10, 200, 100));
    zoom.PanBy(-5000, -5000);
    QCOMPARE(zoom.ImageRect(), QRect(-50, 10, 200, 100));
    QCOMPARE(zoom.SourceRect(), QRectF(25, 0, 75, 50));
    zoom.PanBy(INT_MAX, INT_MIN);
    QCOMPARE(zoom.ImageRect(), QRect(0, 10, 200, 100));
    zoom.PanBy(-30, 0);
    QCOMPARE(zoom.ImageRect(), QRect(-30, 10, 200, 100));
    QCOMPARE(zoom.ToImage(QPointF(0, 10)), QPointF(15, 0));
    QCOMPARE(zoom.ToDevice(QPointF(15, 0)), QPointF(0, 10));
}

void ViewZoomTest::newSizesKeepMagnificationAndCentre() {
    ViewZoom zoom;
    zoom.SetViewportSize(QSize(100, 100));
    zoom.SetImageSize(QSize(200, 200));
    zoom.SetMagnification(2);
    QCOMPARE(zoom.ImageRect(), QRect(-150, -150, 400, 400));
    zoom.PanBy(-20, 40);
    QCOMPARE(zoom.ToImage(QPointF(50, 50)), QPointF(110, 80));
    zoom.SetImageSize(QSize(300, 300));
    QCOMPARE(zoom.Magnification(), 2);
    QCOMPARE(zoom.ToImage(QPointF(50, 50)), QPointF(110, 80));
    zoom.SetViewportSize(QSize(60, 80));
    QCOMPARE(zoom.ToImage(QPointF(30, 40)), QPointF(110, 80));
    // Smaller than the viewport now: centred, the nearest the old centre can be.
    zoom.SetViewportSize(QSize(100, 100));
    zoom.SetImageSize(QSize(40, 40));
    QCOMPARE(zoom.ImageRect(), QRect(10, 10, 80, 80));
    QCOMPARE(zoom.Magnification(), 2);
}

void ViewZoomTest::stepsRunThroughFitAndThePresets() {
    ViewZoom zoom;
    zoom.SetViewportSize(QSize(300, 300));
    zoom.SetImageSize(QSize(100, 100)); // fits at 3
    QCOMPARE(Ladder(zoom, true), (std::vector<int>{4, 8, 16, 32}));
    QCOMPARE(Ladder(zoom, false), (std::vector<int>{16, 8, 4, ViewZoom::Fit, 2, 1}));
    zoom.SetImageSize(QSize(1000, 1000)); // fits at 0.3
    zoom.SetMagnification(ViewZoom::Fit);
    QCOMPARE(Ladder(zoom, true), (std::vector<int>{1, 2, 4, 8, 16, 32}));
    QCOMPARE(Ladder(zoom, false), (std::vector<int>{16, 8, 4, 2, 1, ViewZoom::Fit}));
    zoom.SetImageSize(QSize(150, 150)); // fits at exactly 2: Fit stands for 2
    QCOMPARE(Ladder(zoom, true), (std::vector<int>{4, 8, 16, 32}));
    QCOMPARE(Ladder(zoom, false), (std::vector<int>{16, 8, 4, ViewZoom::Fit, 1}));
}

void ViewZoomTest::fitBlocksAndAlignment() {
    ViewZoom zoom;
    zoom.SetViewportSize(QSize(250, 250));
    zoom.SetImageSize(QSize(100, 100)); // fits at 2.5, at 2 in whole pixels
    QCOMPARE(Ladder(zoom, false), (std::vector<int>{2, 1}));
    zoom.SetMagnification(ViewZoom::Fit);
    zoom.SetFitBlock(1);
    QCOMPARE(zoom.FitScale(), 2.0);
    QCOMPARE(zoom.ImageRect(), QRect(25, 25, 200, 200));
    QCOMPARE(Ladder(zoom, false), (std::vector<int>{1}));
    // Blocks of 64: 250 * 64 / 192 = 83 device pixels each, 249 in all.
    zoom.SetImageSize(QSize(192, 192));
    zoom.SetFitBlock(64);
    zoom.SetMagnification(ViewZoom::Fit);
    QCOMPARE(zoom.FitScale(), 83 / 64.0);
    zoom.SetAlignment(Qt::AlignRight | Qt::AlignBottom);
    QCOMPARE(zoom.ImageRect(), QRect(1, 1, 249, 249));
    QCOMPARE(zoom.ToImage(QPointF(250, 250)), QPointF(192, 192));
    // Placed at a magnification too, on an axis the image does not fill.
    zoom.SetMagnification(1);
    zoom.PanBy(-10, 10);
    QCOMPARE(zoom.ImageRect(), QRect(58, 58, 192, 192));
    zoom.SetAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QCOMPARE(zoom.ImageRect(), QRect(0, 29, 192, 192));
    // Not even a device pixel a block: fitted freely.
    zoom.SetImageSize(QSize(64 * 300, 64));
    zoom.SetMagnification(ViewZoom::Fit);
    QCOMPARE(zoom.ImageRect(), QRect(0, 124, 250, 1));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, zoom.SetFitBlock(-1));
}

void ViewZoomTest::wrongArgumentsThrow() {
    ViewZoom zoom;
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, zoom.SetMagnification(3));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, zoom.ZoomAbout(QPointF(), 64));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, zoom.SetImageSize(QSize(-1, 4)));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, zoom.SetViewportSize(QSize(4, -1)));
    QCOMPARE(zoom.Magnification(), ViewZoom::Fit);
}

QTEST_APPLESS_MAIN(ViewZoomTest)

#include "ViewZoomTest.moc"
