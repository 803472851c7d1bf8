#include "PageFixture.h"

#include "Canvas.h"
#include "CosineFFT2D.h"
#include "Daubechies4DWT.h"
#include "HaarDWT2D.h"
#include "TestTransforms.h"
#include "Transformer.h"

#include <QSignalSpy>
#include <QTest>

#include <stdexcept>

namespace {

// A picture with different content in each channel, so the channels keep
// different shares of coefficients.
QImage TestPicture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y,
                           qRgb((x * 3 + y) % 256, (x * y / 16) % 256,
                                128 + ((x / 8 + y / 8) % 2 ? 60 : -60)));
        }
    }
    return image;
}

// The mean kept percentage of one channel, computed without the worker: plane
// element x * n + y is the pixel (x, y), white outside the picture.
double ChannelPercent(const QImage& picture, int n, int shift, int tiles, double x,
                      Transform& transform, std::uint8_t order) {
    Transformer channel(n, tiles, x, &transform);
    for (int px = 0; px < n; ++px) {
        for (int py = 0; py < n; ++py) {
            channel.Plane[std::size_t(px) * n + py] = px < picture.width() && py < picture.height()
                                                          ? (picture.pixel(px, py) >> shift) & 0xFF
                                                          : 255;
        }
    }
    channel.Run(order);
    return channel.MeanKeptPercent();
}

} // namespace

class TransformThreadTest : public QObject {
    Q_OBJECT

private slots:
    void figuresAreExact();
    void reportsEachChannelThenTheMean();
    void errorZeroGivesBackThePictureWithGrid();
    void zoomedPageConvertsWhiteOutsideTheBitmap();
    void largerBitmapKeepsPixelsOutsideTheSquare();
    void colorCorrectionInRangeChangesNothing();
    void failureIsKeptForTheWindow();
};

void TransformThreadTest::figuresAreExact() {
    QCOMPARE(TransformThread::CompressCaption(93.75), QStringLiteral("Comp : 93.75 %"));
    QCOMPARE(TransformThread::CompressCaption(100.0), QStringLiteral("Comp : 100.00 %"));
    QCOMPARE(TransformThread::CompressCaption(0.0), QStringLiteral("Comp : 0.00 %"));
    QCOMPARE(TransformThread::CompressCaption(3.125), QStringLiteral("Comp : 3.12 %"));
    QCOMPARE(TransformThread::CompressCaption(3.375), QStringLiteral("Comp : 3.38 %"));
    QCOMPARE(TransformThread::MeanOfChannels(50, 25, 15), 30.0);
    // The fraction is formed in extended precision: position 35 is the double
    // nearest 0.35, where 35 * 0.01 in double is one unit above it.
    QCOMPARE(TransformThread::ErrorFractionOf(35), 0.35);
    QVERIFY(35 * 0.01 != 0.35);
    QCOMPARE(TransformThread::ErrorFractionOf(0), 0.0);
    QCOMPARE(TransformThread::ErrorFractionOf(100), 1.0);
    for (int p = 0; p <= 100; ++p) {
        QCOMPARE(TransformThread::ErrorFractionOf(p),
                 static_cast<double>(static_cast<long double>(p) / 100.0L));
    }
}

void TransformThreadTest::reportsEachChannelThenTheMean() {
    PageFixture f(std::make_unique<HaarDWT2D>(), 1);
    const QImage picture = TestPicture(256, 256);
    f.image.SetPicture(picture);
    f.errorTrackBar.setValue(12);
    f.winSizeTrackBar.setValue(3);

    // A report moves the bar by 84 at once (the last one is held at 255); the
    // pixel steps move it a column at a time.
    QStringList captions;
    QList<int> reports;
    int last = 0;
    connect(&f.progressBar, &QProgressBar::valueChanged, &f.progressBar, [&](int value) {
        if (value - last == 84 || (last == 252 && value == 255)) {
            reports << value;
            captions << f.compressLabel.text();
        }
        last = value;
    });
    TransformThread* worker = f.Start();
    QTRY_VERIFY_WITH_TIMEOUT(f.terminated, 60000);
    QVERIFY(!worker->FatalException());

    HaarDWT2D reference;
    const double x = TransformThread::ErrorFractionOf(12);
    const double red = ChannelPercent(picture, 256, 16, 4, x, reference, 1);
    const double green = ChannelPercent(picture, 256, 8, 4, x, reference, 1);
    const double blue = ChannelPercent(picture, 256, 0, 4, x, reference, 1);
    QCOMPARE(worker->RedPercent, red);
    QCOMPARE(worker->GreenPercent, green);
    QCOMPARE(worker->BluePercent, blue);
    QVERIFY(red != green && green != blue);

    const double mean = TransformThread::MeanOfChannels(red, green, blue);
    QCOMPARE(captions,
             QStringList(
                 {TransformThread::CompressCaption(red), TransformThread::CompressCaption(green),
                  TransformThread::CompressCaption(blue), TransformThread::CompressCaption(mean)}));
    QCOMPARE(reports, QList<int>({84, 168, 252, 255}));
    QCOMPARE(f.compressLabel.text(), TransformThread::CompressCaption(mean));
    QCOMPARE(f.compressBar.value(), static_cast<int>(mean));
    // The pixel write leaves the bar on its last column.
    QCOMPARE(f.progressBar.value(), 255);
    // The scratch members end holding the last pixel composed, (255, 255), as a COLORREF, which
    // ColorToRGB leaves as it is.
    const QRgb lastPixel = f.image.Picture().pixel(255, 255);
    QCOMPARE(worker->RedPart, std::uint32_t(qRed(lastPixel)));
    QCOMPARE(worker->GreenPart, std::uint32_t(qGreen(lastPixel)) << 8);
    QCOMPARE(worker->BluePart, std::uint32_t(qBlue(lastPixel)) << 16);
    QCOMPARE(worker->Color, worker->RedPart | worker->GreenPart | worker->BluePart);
    QCOMPARE(ColorToRGB(worker->Color), worker->Color);

    QVERIFY(!f.page.Busy);
    QVERIFY(f.page.Unsaved);
    QCOMPARE(f.tabSheet.cursor().shape(), Qt::ArrowCursor);
    QVERIFY(f.saveButton.isEnabled());
    QVERIFY(f.convertButton.isEnabled());
}

void TransformThreadTest::errorZeroGivesBackThePictureWithGrid() {
    PageFixture f(std::make_unique<Daubechies4DWT>(), 0);
    const QImage picture = TestPicture(256, 256);
    f.image.SetPicture(picture);
    f.winSizeTrackBar.setValue(3);
    f.gridBox.setChecked(true);
    f.Start();
    QTRY_VERIFY_WITH_TIMEOUT(f.terminated, 60000);

    // Lines at 64, 128 and 192 invert what they cover; a crossing is inverted
    // twice, and the top pixel of each vertical line is not drawn.
    const QImage& result = f.image.Picture();
    auto onLine = [](int v) { return v == 64 || v == 128 || v == 192; };
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            const int inversions = onLine(y) + (onLine(x) && y >= 1);
            const QRgb expected =
                inversions % 2 ? (~picture.pixel(x, y) | 0xFF000000u) : picture.pixel(x, y);
            if (result.pixel(x, y) != expected) {
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2)").arg(x).arg(y)));
            }
        }
    }
}

void TransformThreadTest::zoomedPageConvertsWhiteOutsideTheBitmap() {
    PageFixture f(std::make_unique<CosineFFT2D>(), 1);
    const QImage picture = TestPicture(256, 256);
    f.image.SetPicture(picture);
    f.image.SetControlSize(512, 512);
    f.winSizeTrackBar.setValue(2);
    TransformThread* worker = f.Start();
    QTRY_VERIFY_WITH_TIMEOUT(f.terminated, 60000);

    QCOMPARE(worker->Size, 512);
    CosineFFT2D reference;
    QCOMPARE(worker->RedPercent, ChannelPercent(picture, 512, 16, 2, 0.0, reference, 1));
    QCOMPARE(f.image.Picture().size(), QSize(256, 256));
    QCOMPARE(f.image.Picture(), picture);
}

void TransformThreadTest::largerBitmapKeepsPixelsOutsideTheSquare() {
    PageFixture f(std::make_unique<HaarDWT2D>(), 1);
    const QImage picture = TestPicture(400, 300);
    f.image.SetPicture(picture);
    f.errorTrackBar.setValue(30);
    f.Start();
    QTRY_VERIFY_WITH_TIMEOUT(f.terminated, 60000);

    const QImage& result = f.image.Picture();
    int changedInside = 0;
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 400; ++x) {
            if (x < 256 && y < 256) {
                changedInside += result.pixel(x, y) != picture.pixel(x, y);
            } else if (result.pixel(x, y) != picture.pixel(x, y)) {
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) outside").arg(x).arg(y)));
            }
        }
    }
    QVERIFY(changedInside > 0);
}

void TransformThreadTest::colorCorrectionInRangeChangesNothing() {
    QImage results[2];
    for (const bool correct : {false, true}) {
        PageFixture f(std::make_unique<HaarDWT2D>(), 1);
        f.image.SetPicture(TestPicture(256, 256));
        f.winSizeTrackBar.setValue(4);
        f.colorCorrection.setChecked(correct);
        f.Start();
        QTRY_VERIFY_WITH_TIMEOUT(f.terminated, 60000);
        results[correct] = f.image.Picture();
    }
    // Haar at error 0 reconstructs within 0..255, so nothing is corrected.
    QCOMPARE(results[1], results[0]);
}

void TransformThreadTest::failureIsKeptForTheWindow() {
    PageFixture f(std::make_unique<ThrowingTransform>("broken tile"), 1);
    const QImage picture = TestPicture(64, 64);
    f.image.SetPicture(picture);
    TransformThread* worker = f.Start();
    QTRY_VERIFY_WITH_TIMEOUT(f.terminated, 60000);
    QVERIFY(worker->FatalException());
    try {
        std::rethrow_exception(worker->FatalException());
    } catch (const std::runtime_error& error) {
        QCOMPARE(QString(error.what()), QStringLiteral("broken tile"));
    }
    QCOMPARE(f.image.Picture(), picture);
    QVERIFY(!f.page.Unsaved);
}

QTEST_MAIN(TransformThreadTest)
#include "TransformThreadTest.moc"
