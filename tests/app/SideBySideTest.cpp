// The Side by side tab inside the window: what it offers, what it shows, and that its
// magnification is its own.

#include "ConversionResult.h"
#include "SplitView.h"
#include "WindowDriver.h"

#include <QAction>
#include <QComboBox>
#include <QMouseEvent>
#include <QStandardItemModel>

namespace {

bool Enabled(QComboBox* choice, const QString& text) {
    const int index = choice->findText(text);
    auto* model = qobject_cast<QStandardItemModel*>(choice->model());
    return index >= 0 && model && model->item(index)->isEnabled();
}

QImage Region(const ConversionResult& result) {
    QImage image(result.RegionWidth, result.RegionHeight, QImage::Format_RGB32);
    for (int y = 0; y < result.RegionHeight; ++y) {
        for (int x = 0; x < result.RegionWidth; ++x) {
            image.setPixel(x, y,
                           result.Pixels[static_cast<std::size_t>(y) * result.RegionWidth + x]);
        }
    }
    return image;
}

void Convert(WindowDriver& d, int page) {
    d.SelectPage(page);
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
}

} // namespace

class SideBySideTest : public QObject {
    Q_OBJECT

private slots:
    void choicesListWhatExists();
    void viewFollowsNewResultsAndKeepsItsZoom();
    void pixelLineNamesBothSides();
    void magnificationNeverChangesTheConvertedSide();
    void coefficientsShowWhatTheRuleZeroed();
};

void SideBySideTest::choicesListWhatExists() {
    WindowDriver d;
    auto* left = d.Find<QComboBox>(QStringLiteral("LeftImageChoice"));
    auto* right = d.Find<QComboBox>(QStringLiteral("RightImageChoice"));
    const QStringList pages = {"DCT 1D", "D4 1D", "Haar 1D", "DCT 2D", "D4 2D", "Haar 2D"};
    for (QComboBox* choice : {left, right}) {
        QCOMPARE(choice->itemText(0), QStringLiteral("Original"));
        for (const QString& page : pages) {
            QVERIFY2(choice->findText(page) >= 0, qPrintable(page));
            QVERIFY2(!Enabled(choice, page), qPrintable(page + " offered before converting"));
        }
        QCOMPARE(choice->findText(QStringLiteral("Best per tile")), -1);
    }
    QCOMPARE(left->currentText(), QStringLiteral("Original"));

    d.Open(Corpus("natural/chelsea_200x150.bmp"));
    Convert(d, 3);
    QVERIFY(Enabled(left, QStringLiteral("DCT 2D")));
    QVERIFY(Enabled(right, QStringLiteral("DCT 2D")));
    QVERIFY(!Enabled(right, QStringLiteral("Haar 2D")));
    QCOMPARE(right->currentText(), QStringLiteral("DCT 2D"));
    auto* mode = d.Find<QComboBox>(QStringLiteral("SplitModeChoice"));
    QCOMPARE(mode->count(), 3);
    QCOMPARE(mode->itemText(1), QStringLiteral("Side by side"));
    auto* zoom = d.Find<QComboBox>(QStringLiteral("ViewZoomChoice"));
    QStringList zooms;
    for (int i = 0; i < zoom->count(); ++i) {
        zooms << zoom->itemText(i);
    }
    QCOMPARE(zooms, QStringList({"Fit", "100 %", "200 %", "400 %", "800 %", "1600 %", "3200 %"}));
}

void SideBySideTest::viewFollowsNewResultsAndKeepsItsZoom() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_200x150.bmp"));
    Convert(d, 0);
    auto* view = d.Find<SplitView>(QStringLiteral("SplitView"));
    QCOMPARE(view->RightImage(), Region(*d.window.Pages[0].LastResult));
    QCOMPARE(view->LeftImage(), d.OriginalImage()->Picture());

    d.Find<QComboBox>(QStringLiteral("SplitModeChoice"))->setCurrentIndex(1);
    d.Find<QComboBox>(QStringLiteral("ViewZoomChoice"))->setCurrentIndex(4);
    QCOMPARE(view->Magnification(), 8);
    const QRectF shown = view->SourceRect(1);
    QCOMPARE(view->SourceRect(0), shown);

    d.window.Pages[0].ErrorTrackBar->setValue(30);
    Convert(d, 0);
    QCOMPARE(view->RightImage(), Region(*d.window.Pages[0].LastResult));
    QCOMPARE(view->Magnification(), 8);
    QCOMPARE(view->SourceRect(1), shown);
}

void SideBySideTest::pixelLineNamesBothSides() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_200x150.bmp"));
    Convert(d, 4);
    auto* tabs = d.Find<QTabWidget>(QStringLiteral("OriginalPageControl"));
    tabs->setCurrentWidget(d.Find<QWidget>(QStringLiteral("SideBySideTab")));
    d.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d.window));
    auto* view = d.Find<SplitView>(QStringLiteral("SplitView"));
    view->SetMagnification(1);
    const QPointF centre = QRectF(view->rect()).center();
    const QPoint pixel = view->ImagePixelAt(centre);
    QVERIFY(pixel.x() >= 0);
    QMouseEvent move(QEvent::MouseMove, centre, view->mapToGlobal(centre), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    const QRgb a = view->LeftImage().pixel(pixel);
    const QRgb b = view->RightImage().pixel(pixel);
    const int largest = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                  std::abs(qBlue(a) - qBlue(b))});
    const QString expected =
        QStringLiteral("x %1, y %2   Original %3 %4 %5   D4 2D %6 %7 %8   largest difference %9")
            .arg(pixel.x())
            .arg(pixel.y())
            .arg(qRed(a))
            .arg(qGreen(a))
            .arg(qBlue(a))
            .arg(qRed(b))
            .arg(qGreen(b))
            .arg(qBlue(b))
            .arg(largest);
    QCOMPARE(d.Find<QLabel>(QStringLiteral("PixelInfoLabel"))->text(), expected);
}

void SideBySideTest::magnificationNeverChangesTheConvertedSide() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_200x150.bmp"));
    Convert(d, 5);
    auto* view = d.Find<SplitView>(QStringLiteral("SplitView"));
    const int side = d.window.Pages[5].Image->width();
    view->SetMagnification(32);
    d.Find<QComboBox>(QStringLiteral("ViewZoomChoice"))->setCurrentIndex(0);
    QCOMPARE(d.window.Pages[5].Image->width(), side);
    Convert(d, 5);
    QCOMPARE(d.window.Pages[5].LastResult->Settings.Side, side);
}

void SideBySideTest::coefficientsShowWhatTheRuleZeroed() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_200x150.bmp"));
    d.SelectPage(3);
    TransformPage& page = *d.window.CurrentPage;
    page.WinSizeTrackBar->setValue(4);
    page.ErrorTrackBar->setValue(10);
    Convert(d, 3);
    auto* right = d.Find<QComboBox>(QStringLiteral("RightImageChoice"));
    QVERIFY(Enabled(right, QStringLiteral("Coefficients of DCT 2D")));
    QVERIFY(!Enabled(right, QStringLiteral("Coefficients of Haar 2D")));
    auto* channel = d.Find<QComboBox>(QStringLiteral("CoefficientChannelChoice"));
    right->setCurrentIndex(right->findText(QStringLiteral("Coefficients of DCT 2D")));
    emit right->activated(right->currentIndex());
    channel->setCurrentIndex(channel->findText(QStringLiteral("Red")));
    auto* view = d.Find<SplitView>(QStringLiteral("SplitView"));
    QTRY_VERIFY_WITH_TIMEOUT(!view->RightImage().isNull(), 60000);

    // The share marked zeroed is what the red channel did not keep. The kept figure counts the
    // coefficients ranked ahead of each tile's cut; the cut itself survives too (one per tile),
    // and exact zeros (the white padding's tiles hold little else) are black, never marked.
    const QImage coefficients = view->RightImage();
    const int side = page.Image->width();
    QCOMPARE(coefficients.size(), QSize(side, side));
    const int tileSide = side / 8;
    long zeroed = 0;
    long black = 0;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            zeroed += coefficients.pixel(x, y) == 0xFF2060FFu ? 1 : 0;
            black += coefficients.pixel(x, y) == 0xFF000000u ? 1 : 0;
        }
    }
    const double all = double(side) * side;
    const double keptCount = page.LastResult->KeptPercent[0] / 100.0 * all;
    QVERIFY2(zeroed <= all - keptCount + 0.5 && zeroed >= all - keptCount - 64 - black - 0.5,
             qPrintable(QStringLiteral("%1 zeroed, %2 black of %3, kept %4")
                            .arg(zeroed)
                            .arg(black)
                            .arg(all)
                            .arg(keptCount)));
    // Every tile's first coefficient (its DC, top left) is kept.
    for (int y = 0; y < side; y += tileSide) {
        for (int x = 0; x < side; x += tileSide) {
            QVERIFY2(coefficients.pixel(x, y) != 0xFF2060FFu,
                     qPrintable(QStringLiteral("DC of the tile at %1, %2 zeroed").arg(x).arg(y)));
        }
    }
}

QTEST_MAIN(SideBySideTest)
#include "SideBySideTest.moc"
