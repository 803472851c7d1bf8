#include "PixelTransfer.h"
#include "Canvas.h"

#include <QTest>

#include <vector>

class PixelTransferTest : public QObject {
    Q_OBJECT

private slots:
    void readsColumnsIntoPlaneRowsWhiteOutside();
    void writesOnlyInsideTheBitmap();
    void composesWholeGreyLevels_data();
    void composesWholeGreyLevels();
    void rejectsPlanesTooSmall();
};

void PixelTransferTest::readsColumnsIntoPlaneRowsWhiteOutside() {
    QImage image(3, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            image.setPixel(x, y, qRgb(10 * x + y, 100 + x, 200 + y));
        }
    }
    Canvas canvas(&image);
    const int n = 4;
    std::vector<double> red(16), green(16), blue(16);
    QList<int> columns;
    ReadChannelPlanes(canvas, n, red.data(), green.data(), blue.data(), 16,
                      [&](int x) { columns << x; });
    QCOMPARE(columns, QList<int>({0, 1, 2, 3}));
    for (int x = 0; x < n; ++x) {
        for (int y = 0; y < n; ++y) {
            const bool inside = x < 3 && y < 2;
            const auto at = std::size_t(x) * n + y;
            QCOMPARE(red[at], inside ? 10.0 * x + y : 255.0);
            QCOMPARE(green[at], inside ? 100.0 + x : 255.0);
            QCOMPARE(blue[at], inside ? 200.0 + y : 255.0);
        }
    }
}

void PixelTransferTest::writesOnlyInsideTheBitmap() {
    QImage image(2, 3, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    Canvas canvas(&image);
    const int n = 4;
    // The part of the 4 x 4 square inside the 2 x 3 bitmap, composed as the conversion does.
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 2; ++x) {
            pixels.push_back(qRgb(x * n + y, 100 + x * n + y, 200 + x * n + y) & 0xFFFFFFu);
        }
    }
    QList<int> columns;
    WriteResultPixels(canvas, n, RgbView{pixels.data(), 2, 3, 2}, [&](int x) { columns << x; });
    QCOMPARE(columns, QList<int>({0, 1, 2, 3}));
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 2; ++x) {
            QCOMPARE(image.pixel(x, y), qRgb(x * n + y, 100 + x * n + y, 200 + x * n + y));
        }
    }
}

void PixelTransferTest::composesWholeGreyLevels_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("level");
    QTest::newRow("fraction truncated") << 127.9 << 127;
    QTest::newRow("above range") << 255.7 << 255;
    QTest::newRow("below range") << -3.2 << 0;
    QTest::newRow("rounding noise below a whole number") << 126.99999999999956 << 127;
    QTest::newRow("rounding noise at the top") << 254.99999999999997 << 255;
}

void PixelTransferTest::composesWholeGreyLevels() {
    QFETCH(double, value);
    QFETCH(int, level);
    const ComposedPixel pixel = ComposePixel(value, value, value);
    QCOMPARE(pixel.RedPart, std::uint32_t(level));
    QCOMPARE(pixel.GreenPart, std::uint32_t(level) << 8);
    QCOMPARE(pixel.BluePart, std::uint32_t(level) << 16);
    QCOMPARE(pixel.Color, std::uint32_t(level) * 0x010101u);
}

void PixelTransferTest::rejectsPlanesTooSmall() {
    QImage image(4, 4, QImage::Format_RGB32);
    Canvas canvas(&image);
    std::vector<double> plane(15);
    QVERIFY_THROWS_EXCEPTION(
        std::invalid_argument,
        ReadChannelPlanes(canvas, 4, plane.data(), plane.data(), plane.data(), plane.size(), {}));
}

QTEST_MAIN(PixelTransferTest)
#include "PixelTransferTest.moc"
