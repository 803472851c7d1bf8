#include "WindowDriver.h"

#include "BitmapFile.h"
#include "ColorScale.h"
#include "ConversionResult.h"
#include "ConvertImage.h"
#include "ErrorsTab.h"
#include "ZoomImageView.h"

#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QTemporaryDir>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace {

RgbView ViewOf(const QImage& image) {
    return RgbView{reinterpret_cast<const std::uint32_t*>(image.constBits()), image.width(),
                   image.height(), image.bytesPerLine() / 4};
}

// Each pixel's largest channel error between two pictures over the region, row by row.
std::vector<int> ChannelErrors(const QImage& a, const QImage& b, int width, int height) {
    std::vector<int> errors;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            errors.push_back(std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                       std::abs(qBlue(p) - qBlue(q))}));
        }
    }
    return errors;
}

// The DCT 2D conversion of a 200 x 150 image in tiles of 64, at 30 %.
std::shared_ptr<const ConversionResult> Converted(const QImage& loaded) {
    ConversionSettings settings;
    settings.Side = 256;
    settings.TileCount = 4;
    settings.SetErrorPercent(30);
    return std::make_shared<const ConversionResult>(
        ConvertImage(ViewOf(loaded), TransformKind::Dct2D, settings, 1));
}

void CtrlWheel(QWidget* view, QPointF at, int notches) {
    QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
}

QString ToolTipAt(QWidget* view, QPoint at) {
    QHelpEvent help(QEvent::ToolTip, at, view->mapToGlobal(at));
    QApplication::sendEvent(view, &help);
    return QToolTip::text();
}

} // namespace

class ErrorsTest : public QObject {
    Q_OBJECT

private slots:
    void gainBrightensTheExportedPixels();
    void mapsFillTheTabAtWholeFactors_data();
    void mapsFillTheTabAtWholeFactors();
    void zoomedDifferenceIsBlocksOfTheGainedErrors();
    void tileToolTipFollowsZoomAndPan();
};

void ErrorsTest::gainBrightensTheExportedPixels() {
    WindowDriver d;
    QTemporaryDir dir;
    d.Open(Corpus("natural/chelsea_200x150.bmp"));
    auto* exportButton = d.Find<QToolButton>(QStringLiteral("ErrorsExportButton"));
    auto* gain = d.Find<QComboBox>(QStringLiteral("ErrorsGainChoice"));
    auto* scale = d.Find<ColorScale>(QStringLiteral("ErrorsDifferenceScale"));
    QCOMPARE(gain->count(), 5);
    QVERIFY(!exportButton->isEnabled());

    d.SelectPage(3);
    TransformPage& page = *d.window.CurrentPage;
    page.ErrorTrackBar->setValue(30);
    page.WinSizeTrackBar->setValue(3);
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    QVERIFY(exportButton->isEnabled());

    // The errors from the pictures alone: the page's result against the loaded image.
    const std::vector<int> errors =
        ChannelErrors(page.Image->Picture(), d.OriginalImage()->Picture(), 200, 150);
    const int largest = *std::max_element(errors.begin(), errors.end());
    QVERIFY(largest > 16);
    // The white level, to four figures: 217 / 16 reads 13.56.
    const QString top[] = {QString::number(largest), QString::number(largest / 2.0, 'g', 4),
                           QString::number(largest / 4.0, 'g', 4),
                           QString::number(largest / 8.0, 'g', 4),
                           QString::number(largest / 16.0, 'g', 4)};
    int clippedBefore = -1;
    for (int i = 0; i < gain->count(); ++i) {
        const int g = 1 << i;
        QCOMPARE(gain->itemData(i).toInt(), g);
        gain->setCurrentIndex(i);
        QCOMPARE(scale->TopText(), top[i]);
        const QString path = dir.filePath(QStringLiteral("difference%1.png").arg(g));
        d.dialogs->saveAnswers.push_back(path);
        exportButton->click();
        const QImage saved(path);
        QCOMPARE(saved.size(), QSize(200, 150));
        int clipped = 0;
        for (int y = 0; y < 150; ++y) {
            for (int x = 0; x < 200; ++x) {
                // largest / g is white, and so is everything above it.
                const int e = errors[std::size_t(y) * 200 + x];
                const int expected = std::min(255, e * 255 * g / largest);
                QVERIFY2(qGray(saved.pixel(x, y)) == expected,
                         qPrintable(QStringLiteral("gain %1 at (%2, %3): %4, not %5")
                                        .arg(g)
                                        .arg(x)
                                        .arg(y)
                                        .arg(qGray(saved.pixel(x, y)))
                                        .arg(expected)));
                clipped += e * g >= largest ? 1 : 0;
            }
        }
        // More pixels reach white at every step up.
        QVERIFY2(clipped > clippedBefore, qPrintable(QString::number(g)));
        clippedBefore = clipped;
    }
    QVERIFY(d.dialogs->messages.empty());
}

void ErrorsTest::mapsFillTheTabAtWholeFactors_data() {
    QTest::addColumn<QSize>("tab");
    QTest::addColumn<bool>("stacked");
    // The factor a 200 x 150 region reaches at least, worked out from the room left beside
    // or under it once the tile map has 160 px.
    QTest::addColumn<int>("factor");
    QTest::addRow("wide") << QSize(1200, 560) << false << 3;
    QTest::addRow("tall") << QSize(560, 1100) << true << 2;
    QTest::addRow("small") << QSize(300, 300) << false << 1;
}

void ErrorsTest::mapsFillTheTabAtWholeFactors() {
    QFETCH(QSize, tab);
    QFETCH(bool, stacked);
    QFETCH(int, factor);
    const QImage loaded =
        LoadBitmap(Corpus("natural/chelsea_200x150.bmp")).convertToFormat(QImage::Format_RGB32);
    const auto result = Converted(loaded);

    ErrorsTab errors;
    errors.Show(QStringLiteral("DCT 2D"), result, QStringLiteral("chelsea_200x150.bmp"));
    errors.resize(tab);
    errors.show();
    QVERIFY(QTest::qWaitForWindowExposed(&errors));
    auto* difference = errors.findChild<ZoomImageView*>(QStringLiteral("ErrorsDifferenceImage"));
    auto* tiles = errors.findChild<ZoomImageView*>(QStringLiteral("ErrorsTileMap"));
    auto* scale = errors.findChild<ColorScale*>(QStringLiteral("ErrorsDifferenceScale"));
    QTRY_COMPARE(tiles->y() > difference->y() + difference->height() / 2, stacked);
    QTRY_COMPARE(scale->height(), std::max(difference->PictureRect().height(),
                                           2 * scale->fontMetrics().height() + 4));

    // The largest whole factor that fits the view, or the view's size when not even 1 does.
    const QRect picture = difference->PictureRect();
    const int fits = std::min(difference->width() / 200, difference->height() / 150);
    const QString where = QStringLiteral("%1 x %2 tab, view %3 x %4, picture %5 x %6")
                              .arg(tab.width())
                              .arg(tab.height())
                              .arg(difference->width())
                              .arg(difference->height())
                              .arg(picture.width())
                              .arg(picture.height());
    if (fits >= 1) {
        QVERIFY2(picture.size() == QSize(200, 150) * fits, qPrintable(where));
    } else {
        QVERIFY2(picture.width() == difference->width() || picture.height() == difference->height(),
                 qPrintable(where));
    }
    // The tab's room goes to the picture.
    QVERIFY2(fits >= factor, qPrintable(where));
    // Each pixel a block of fits x fits of its own grey, not blended with its neighbours.
    const QImage shown = difference->grab().toImage();
    const QImage& source = errors.DifferenceImage();
    for (const QPoint at : {QPoint(0, 0), QPoint(57, 33), QPoint(199, 149), QPoint(120, 90)}) {
        for (int dy = 0; dy < fits; ++dy) {
            for (int dx = 0; dx < fits; ++dx) {
                const QPoint pixel = picture.topLeft() + at * fits + QPoint(dx, dy);
                QCOMPARE(qGray(shown.pixel(pixel)), qGray(source.pixel(at)));
            }
        }
    }
    // The tile map takes the rest, four tiles of the same whole width per side.
    QCOMPARE(tiles->Picture().size(), QSize(4, 4));
    const QRect grid = tiles->PictureRect();
    const int square = std::min(tiles->width(), tiles->height());
    QVERIFY2(grid.width() == grid.height() && grid.width() % 4 == 0 && grid.width() > square - 4,
             qPrintable(QStringLiteral("grid %1 in %2").arg(grid.width()).arg(square)));
    if (fits > 1) {
        QVERIFY2(square >= 160, qPrintable(where));
    }
}

void ErrorsTest::zoomedDifferenceIsBlocksOfTheGainedErrors() {
    const QImage loaded =
        LoadBitmap(Corpus("natural/chelsea_200x150.bmp")).convertToFormat(QImage::Format_RGB32);
    const auto result = Converted(loaded);
    ErrorsTab errors;
    errors.Show(QStringLiteral("DCT 2D"), result, QStringLiteral("chelsea_200x150.bmp"));
    errors.SetGain(4);
    errors.resize(1200, 560);
    errors.show();
    QVERIFY(QTest::qWaitForWindowExposed(&errors));
    auto* difference = errors.findChild<ZoomImageView*>(QStringLiteral("ErrorsDifferenceImage"));
    QCOMPARE(difference->devicePixelRatioF(), 1.0);
    QTRY_VERIFY(difference->PictureRect().width() >= 3 * 200);

    // The errors from the pictures alone: the converted pixels against the loaded ones.
    const QImage converted(reinterpret_cast<const uchar*>(result->Pixels.data()), 200, 150, 200 * 4,
                           QImage::Format_RGB32);
    const std::vector<int> channel = ChannelErrors(converted, loaded, 200, 150);
    const int largest = *std::max_element(channel.begin(), channel.end());
    QVERIFY(largest > 4);

    // Over the centre of pixel (100, 75) at Fit's whole factor, two notches: Fit, 400 %, 800 %.
    const QRect fitted = difference->PictureRect();
    const int fit = fitted.width() / 200;
    QVERIFY2(fit < 4, qPrintable(QString::number(fit)));
    const QPoint pointer = fitted.topLeft() + QPoint(100, 75) * fit + QPoint(fit / 2, fit / 2);
    QCOMPARE(difference->ImagePixelAt(pointer), QPoint(100, 75));
    CtrlWheel(difference, pointer, 2);
    QCOMPARE(difference->Magnification(), 8);
    QCOMPARE(difference->ImagePixelAt(pointer), QPoint(100, 75));
    // The image's origin puts the pointer inside pixel (100, 75)'s 8 x 8 block.
    const QPoint origin = difference->PictureRect().topLeft();
    QVERIFY(origin.x() + 800 <= pointer.x() && pointer.x() < origin.x() + 808);
    QVERIFY(origin.y() + 600 <= pointer.y() && pointer.y() < origin.y() + 608);
    QCOMPARE(difference->SourceRect().width(), difference->width() / 8.0);

    // Every device pixel shows its image pixel's error, largest / 4 white.
    const QImage shown = difference->RenderShown();
    QCOMPARE(shown.size(), difference->size());
    int blocks = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const int ix = (x - origin.x()) / 8;
            const int iy = (y - origin.y()) / 8;
            QVERIFY(x >= origin.x() && y >= origin.y() && ix < 200 && iy < 150);
            const int expected =
                std::min(255, channel[std::size_t(iy) * 200 + ix] * 255 * 4 / largest);
            if (qGray(shown.pixel(x, y)) != expected) {
                QFAIL(qPrintable(QStringLiteral("device pixel %1,%2 (image pixel %3,%4): %5, "
                                                "not %6")
                                     .arg(x)
                                     .arg(y)
                                     .arg(ix)
                                     .arg(iy)
                                     .arg(qGray(shown.pixel(x, y)))
                                     .arg(expected)));
            }
            blocks += (x - origin.x()) % 8 == 0 && (y - origin.y()) % 8 == 0 ? 1 : 0;
        }
    }
    QVERIFY(blocks > 100);
    // What the widget paints is what RenderShown gives.
    QCOMPARE(difference->grab().toImage().convertToFormat(QImage::Format_RGB32), shown);
}

void ErrorsTest::tileToolTipFollowsZoomAndPan() {
    const QImage loaded =
        LoadBitmap(Corpus("natural/chelsea_200x150.bmp")).convertToFormat(QImage::Format_RGB32);
    ErrorsTab errors;
    errors.Show(QStringLiteral("DCT 2D"), Converted(loaded), QStringLiteral("chelsea_200x150.bmp"));
    errors.resize(1200, 560);
    errors.show();
    QVERIFY(QTest::qWaitForWindowExposed(&errors));
    auto* tiles = errors.findChild<ZoomImageView*>(QStringLiteral("ErrorsTileMap"));
    QCOMPARE(tiles->devicePixelRatioF(), 1.0);
    QTRY_VERIFY(tiles->PictureRect().width() >= 160);

    // At Fit, over the middle of the tile in column 1, row 2: image point (96, 160).
    const QRect fitted = tiles->PictureRect();
    const int tile = fitted.width() / 4;
    const QPoint pointer = fitted.topLeft() + QPoint(tile + tile / 2, 2 * tile + tile / 2);
    QVERIFY(ToolTipAt(tiles, pointer).startsWith(QStringLiteral("Tile at (64, 128)\nkept ")));
    // Three notches up to 800 %: the tile under the pointer stays.
    CtrlWheel(tiles, pointer, 3);
    QCOMPARE(tiles->Magnification(), 8);
    QVERIFY2(ToolTipAt(tiles, pointer).startsWith(QStringLiteral("Tile at (64, 128)\n")),
             qPrintable(QToolTip::text()));
    // A drag to the left by most of the view brings tiles from the right under the pointer.
    const QRectF before = tiles->SourceRect();
    const int y = tiles->height() / 2;
    QTest::mousePress(tiles, Qt::LeftButton, Qt::NoModifier, QPoint(tiles->width() - 10, y));
    QTest::mouseMove(tiles, QPoint(10, y));
    QTest::mouseRelease(tiles, Qt::LeftButton, Qt::NoModifier, QPoint(10, y));
    const double moved = (tiles->width() - 20) / 8.0;
    QCOMPARE(tiles->SourceRect(), before.translated(moved, 0));
    // The pointer was over image x 96 to within half a tile's block on the screen.
    const double x = 64 + 64.0 * (tile / 2) / tile + moved;
    const int column = static_cast<int>(x / 64);
    QVERIFY2(x - column * 64 > 1 && (column + 1) * 64 - x > 1, qPrintable(QString::number(x)));
    const QString expected = QStringLiteral("Tile at (%1, 128)").arg(column * 64);
    QVERIFY2(ToolTipAt(tiles, pointer).startsWith(expected),
             qPrintable(QToolTip::text() + QStringLiteral(", not ") + expected));
    // Outside the image there is no tip.
    QToolTip::hideText();
    tiles->SetMagnification(ZoomImageView::Fit);
    QCOMPARE(tiles->ImagePixelAt(QPointF(tiles->PictureRect().left() - 1, 5)), QPoint(-1, -1));
}

QTEST_MAIN(ErrorsTest)
#include "ErrorsTest.moc"
