#include "WindowDriver.h"

#include "About.h"
#include "BitmapFile.h"
#include "ProgressBar.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>

namespace {

const char* const Prefixes[] = {"Fourier", "Daub", "Haar", "Fourier2D", "Daub2D", "Haar2D"};
const char* const Captions[] = {"DCT 1D", "D4 1D", "Haar 1D", "DCT 2D", "D4 2D", "Haar 2D"};

} // namespace

// The window as it starts, and conversions on its pages.
class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void startsWithEveryComponentInPlace();
    void aboutBoxClosesWithItsButton();
    void errorZeroGivesBackTheBitmap_data();
    void errorZeroGivesBackTheBitmap();
    void twoPagesConvertAtOnce();
    void zoomedPageConvertsOnlyTheBitmap();
    void malformedBitmapChangesNothing();
    void failingConversionReturnsPageToIdle();
    void tooManyTilesForTheImageIsRefused();
};

void MainWindowTest::startsWithEveryComponentInPlace() {
    WindowDriver d;
    QCOMPARE(d.window.windowTitle(), QStringLiteral("Tarvish 1.0"));
    QCOMPARE(d.window.objectName(), QStringLiteral("MainWindow"));

    auto* pages = d.Find<QTabWidget>(QStringLiteral("TransformPageControl"));
    QCOMPARE(pages->count(), 6);
    QCOMPARE(pages->currentIndex(), 4);
    QCOMPARE(d.window.CurrentPage, &d.window.Pages[4]);
    auto* original = d.Find<QTabWidget>(QStringLiteral("OriginalPageControl"));
    QCOMPARE(original->tabText(0), QStringLiteral("QuickView"));
    QCOMPARE(original->tabText(1), QStringLiteral("- no picture -"));
    QCOMPARE(original->currentWidget()->objectName(), QStringLiteral("OriginalTabSheet"));

    QVERIFY(!d.Button("SaveButton")->isEnabled());
    QVERIFY(!d.Button("ConvertButton")->isEnabled());
    QVERIFY(d.Button("OpenButton")->isEnabled());
    QVERIFY(d.Button("ExitButton")->isEnabled());
    QCOMPARE(d.Button("ConvertButton")->toolTip(), QStringLiteral("Make conversion"));
    QCOMPARE(d.Button("OpenButton")->toolTip(), QStringLiteral("Open new image"));
    QCOMPARE(d.Button("SaveButton")->toolTip(), QStringLiteral("Save converted image"));
    QCOMPARE(d.Button("AboutButton")->text(), QStringLiteral("About..."));

    for (const char* name :
         {"QuickViewBevel", "QuickViewImage", "QuickViewEdit", "QuickViewFileListBox",
          "QuickViewDirectoryListBox", "QuickViewFilterComboBox", "QuickViewDriveComboBox",
          "ScrollBox2", "TransformProgressLabel", "TransformProgressBar"}) {
        QVERIFY2(d.window.findChild<QWidget*>(QString::fromLatin1(name)), name);
    }
    QCOMPARE(d.OriginalImage()->size(), QSize(256, 256));
    QCOMPARE(d.Find<ProgressBar>(QStringLiteral("TransformProgressBar"))->maximum(), 255);

    for (int i = 0; i < 6; ++i) {
        const QString prefix = QString::fromLatin1(Prefixes[i]);
        const TransformPage& page = d.window.Pages[i];
        QCOMPARE(pages->tabText(i), QString::fromLatin1(Captions[i]));
        QCOMPARE(page.TabSheet, d.Find<QWidget>(prefix + "TabSheet"));
        QCOMPARE(page.Image, d.Find<ImageView>(prefix + "Image"));
        QCOMPARE(page.ErrorTrackBar, d.Find<QSlider>(prefix + "ErrorTrackBar"));
        QCOMPARE(page.WinSizeTrackBar, d.Find<QSlider>(prefix + "WinSizeTrackBar"));
        QCOMPARE(page.GridBox->text(), QStringLiteral("Show grid"));
        QCOMPARE(page.ColorCorrection->text(), QStringLiteral("Color correction"));
        QCOMPARE(page.ErrorLabel->text(), QStringLiteral("Error: 0% "));
        QCOMPARE(page.WinSizeLabel->text(), QStringLiteral("Grid size: 256"));
        QCOMPARE(page.CompressLabel->text(), QStringLiteral("Compress 100.0%"));
        QCOMPARE(page.Image->size(), QSize(256, 256));
        QCOMPARE(page.ErrorTrackBar->maximum(), 100);
        QCOMPARE(page.WinSizeTrackBar->minimum(), 1);
        QCOMPARE(page.WinSizeTrackBar->maximum(), 6);
        QCOMPARE(page.ShownGridPosition, 1);
        QCOMPARE(page.TwoDimensional, std::uint8_t(i >= 3));
        QVERIFY(page.Transform && !page.Thread && !page.Busy && !page.Unsaved && !page.NeedsReload);
    }
    QCOMPARE(d.window.Pages[3].Image->toolTip(), QStringLiteral("Discrete Cosine 2D Transform"));
}

void MainWindowTest::aboutBoxClosesWithItsButton() {
    WindowDriver d;
    d.Button("AboutButton")->click();
    QCOMPARE(d.dialogs->modalRuns, 1);
    TAboutDialog& about = *d.window.AboutDialog;
    QVERIFY(about.isVisible());
    QCOMPARE(about.windowTitle(), QStringLiteral("About ..."));
    QCOMPARE(about.findChild<QTextEdit*>(QStringLiteral("AboutMemo"))->toPlainText(),
             QStringLiteral("Program created to compare \nFourier & wavelet transform \n"
                            "image compression properties "));
    auto* button = about.findChild<QPushButton*>(QStringLiteral("BitBtn1"));
    QCOMPARE(button->text(), QStringLiteral("Quillet'97"));
    button->click();
    QVERIFY(!about.isVisible());
}

void MainWindowTest::errorZeroGivesBackTheBitmap_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("gridPosition");
    for (int page = 0; page < 6; ++page) {
        for (const int position : {1, 6}) {
            QTest::addRow("%s, %d tiles", Captions[page], 1 << (position - 1)) << page << position;
        }
    }
}

void MainWindowTest::errorZeroGivesBackTheBitmap() {
    QFETCH(int, page);
    QFETCH(int, gridPosition);
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    const QImage loaded = LoadBitmap(Corpus("natural/chelsea_256x256.bmp"));
    QCOMPARE(d.OriginalImage()->Picture(), loaded);

    d.SelectPage(page);
    d.window.CurrentPage->WinSizeTrackBar->setValue(gridPosition);
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    QCOMPARE(d.window.CurrentPage->Image->Picture(), loaded);
    QVERIFY(d.window.CurrentPage->CompressLabel->text().startsWith("Comp : "));
    QVERIFY(d.Button("SaveButton")->isEnabled());
    QVERIFY(d.Button("ConvertButton")->isEnabled());
    QVERIFY(d.Button("ExitButton")->isEnabled());
    QVERIFY(d.dialogs->messages.empty());
}

void MainWindowTest::twoPagesConvertAtOnce() {
    BlockingTransform blocking;
    WindowDriver d;
    d.Open(Corpus("natural/coffee_256x256.bmp"));
    d.window.Pages[0].Transform = &blocking;

    d.SelectPage(0);
    d.Button("ConvertButton")->click();
    QVERIFY(!d.Button("ConvertButton")->isEnabled());
    QTRY_VERIFY(blocking.Started());

    d.SelectPage(5);
    QVERIFY(d.Button("ConvertButton")->isEnabled());
    d.window.Pages[5].ErrorTrackBar->setValue(20);
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!d.window.Pages[5].Busy, 60000);

    // Page 5 is done, page 0 still converts: Save follows the active page,
    // Exit and Open wait for every page.
    QVERIFY(d.Button("SaveButton")->isEnabled());
    QVERIFY(d.Button("ConvertButton")->isEnabled());
    QVERIFY(!d.Button("ExitButton")->isEnabled());
    QVERIFY(!d.Button("OpenButton")->isEnabled());
    d.SelectPage(0);
    QVERIFY(!d.Button("SaveButton")->isEnabled());
    QVERIFY(!d.Button("ConvertButton")->isEnabled());
    d.SelectPage(5);
    QVERIFY(d.Button("SaveButton")->isEnabled());

    blocking.Release();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    QVERIFY(d.Button("ExitButton")->isEnabled());
    QVERIFY(d.Button("OpenButton")->isEnabled());
    QCOMPARE(d.Find<ProgressBar>(QStringLiteral("TransformProgressBar"))->value(), 0);
    // Each page shows its own figure.
    const QString first = d.window.Pages[0].CompressLabel->text();
    const QString last = d.window.Pages[5].CompressLabel->text();
    QVERIFY(first.startsWith("Comp : ") && last.startsWith("Comp : "));
    QVERIFY(first != last);
    QVERIFY(d.window.Pages[0].Unsaved && d.window.Pages[5].Unsaved);
    d.SelectPage(1);
    QVERIFY(!d.Button("SaveButton")->isEnabled());
    QVERIFY(d.Button("ConvertButton")->isEnabled());
}

void MainWindowTest::zoomedPageConvertsOnlyTheBitmap() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    TransformPage& page = *d.window.CurrentPage;
    QTest::mouseClick(page.Image, Qt::LeftButton);
    QCOMPARE(page.Image->size(), QSize(512, 512));
    page.ErrorTrackBar->setValue(5);
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    QCOMPARE(page.Image->Picture().size(), QSize(256, 256));
    QVERIFY(page.Image->Picture() != d.OriginalImage()->Picture());
}

void MainWindowTest::malformedBitmapChangesNothing() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    const QImage before = d.OriginalImage()->Picture();
    for (auto& page : d.window.Pages) {
        page.NeedsReload = false;
    }

    QTemporaryDir dir;
    const QString broken = dir.filePath("broken.bmp");
    QFile file(broken);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QFile source(Corpus("natural/chelsea_256x256.bmp"));
    QVERIFY(source.open(QIODevice::ReadOnly));
    file.write(source.read(1000));
    file.close();

    d.Open(broken);
    QCOMPARE(d.dialogs->messages.size(), std::size_t(1));
    QVERIFY2(d.dialogs->messages[0].text.startsWith("Cannot load broken.bmp: "),
             qPrintable(d.dialogs->messages[0].text));
    QCOMPARE(d.window.CurrentFileName, Corpus("natural/chelsea_256x256.bmp"));
    QCOMPARE(d.OriginalImage()->Picture(), before);
    for (const auto& page : d.window.Pages) {
        QVERIFY(!page.NeedsReload);
    }
}

void MainWindowTest::failingConversionReturnsPageToIdle() {
    ThrowingTransform throwing("tile exploded");
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    d.SelectPage(2);
    d.window.Pages[2].Transform = &throwing;
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    QCOMPARE(d.dialogs->messages.size(), std::size_t(1));
    QCOMPARE(d.dialogs->messages[0].text,
             QStringLiteral("The conversion on page \"Haar 1D\" failed: tile exploded"));
    const TransformPage& page = d.window.Pages[2];
    QVERIFY(!page.Busy && !page.Unsaved);
    QCOMPARE(page.TabSheet->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(d.Button("ConvertButton")->isEnabled());
    QVERIFY(!d.Button("SaveButton")->isEnabled());
    QVERIFY(d.Button("ExitButton")->isEnabled());
    QVERIFY(d.Button("OpenButton")->isEnabled());
}

void MainWindowTest::tooManyTilesForTheImageIsRefused() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    TransformPage& page = *d.window.CurrentPage;
    for (int i = 0; i < 5; ++i) {
        QTest::mouseClick(page.Image, Qt::RightButton);
    }
    QCOMPARE(page.Image->width(), 8);
    page.WinSizeTrackBar->setValue(5);
    d.Button("ConvertButton")->click();
    QCOMPARE(d.dialogs->messages.size(), std::size_t(1));
    QVERIFY(d.dialogs->messages[0].text.contains("too small for 16 tiles per side"));
    QVERIFY(!page.Busy && !page.Thread && !page.Unsaved);
    QVERIFY(d.Button("ExitButton")->isEnabled());
    QVERIFY(d.Button("OpenButton")->isEnabled());
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
