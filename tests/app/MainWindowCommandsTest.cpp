#include "WindowDriver.h"

#include "BitmapFile.h"
#include "Canvas.h"
#include "FileListBox.h"
#include "TileGrid.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// Converts the active page and waits until every worker is collected.
void Convert(WindowDriver& d) {
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
}

QImage WithGrid(QImage image, int width, int bottom, int tiles) {
    Canvas canvas(&image);
    DrawTileGrid(canvas, width, bottom, tiles);
    return image;
}

} // namespace

// The commands of the main window: picking, opening, saving, grid, zoom, and
// the close prompt.
class MainWindowCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void browserPreviewsAndPicksFiles();
    void cancellingOpenStillMarksPagesForReload();
    void errorLabelFollowsTheTrackBar();
    void gridFollowsTheTrackBarOnlyWhenShown();
    void showGridTwiceRestoresEveryPixel();
    void gridChangeAfterOpenShowsTheLoadedImage();
    void gridChangeAfterConversionKeepsTheResult();
    void reloadUsesTheLoadedImageNotTheSavedFile();
    void openingAnotherImageKeepsUnsavedResults();
    void zoomStopsAtItsLimits();
    void savesTheActivePage();
    void failedSaveKeepsThePageUnsaved();
    void closePromptAsksInPageOrder();
    void closePromptYesSavesAndCloses();
    void closePromptCancelledSaveKeepsWindowOpen();
    void closingDuringConversionIsRefused();
};

void MainWindowCommandsTest::browserPreviewsAndPicksFiles() {
    WindowDriver d;
    auto* list = d.Find<FileListBox>(QStringLiteral("QuickViewFileListBox"));
    list->SetDirectory(Corpus("natural"));
    QVERIFY(list->count() >= 10);
    const auto items = list->findItems(QStringLiteral("coffee_400x300.bmp"), Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    list->scrollToItem(items[0]);

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(items[0]).center());
    QCOMPARE(d.Find<ImageView>(QStringLiteral("QuickViewImage"))->Picture().size(),
             QSize(400, 300));
    QVERIFY(d.OriginalImage()->Picture().isNull());
    QVERIFY(d.window.CurrentFileName.isEmpty());

    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                       list->visualItemRect(items[0]).center());
    const QString path = QDir(Corpus("natural")).absoluteFilePath("coffee_400x300.bmp");
    QCOMPARE(d.window.CurrentFileName, path);
    QCOMPARE(d.OriginalImage()->Picture().size(), QSize(400, 300));
    auto* original = d.Find<QTabWidget>(QStringLiteral("OriginalPageControl"));
    QCOMPARE(original->tabText(1), path);
    QCOMPARE(original->currentIndex(), 1);
    QVERIFY(d.Button("ConvertButton")->isEnabled());
    for (const auto& page : d.window.Pages) {
        QVERIFY(page.NeedsReload);
    }
}

void MainWindowCommandsTest::cancellingOpenStillMarksPagesForReload() {
    WindowDriver d;
    d.Button("OpenButton")->click(); // no answer: the dialog is cancelled
    QCOMPARE(d.dialogs->openTitles, QStringList({"Open image"}));
    for (const auto& page : d.window.Pages) {
        QVERIFY(page.NeedsReload);
    }
    QVERIFY(!d.Button("ConvertButton")->isEnabled());
    // With nothing loaded, a grid change reloads the empty image and cannot fail.
    d.window.CurrentPage->WinSizeTrackBar->setValue(2);
    QVERIFY(d.dialogs->messages.empty());
    QVERIFY(!d.window.CurrentPage->NeedsReload);
}

void MainWindowCommandsTest::errorLabelFollowsTheTrackBar() {
    WindowDriver d;
    d.window.CurrentPage->ErrorTrackBar->setValue(37);
    QCOMPARE(d.window.CurrentPage->ErrorLabel->text(), QStringLiteral("Error: 37%"));
}

void MainWindowCommandsTest::gridFollowsTheTrackBarOnlyWhenShown() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    const QImage loaded = d.OriginalImage()->Picture();
    TransformPage& page = *d.window.CurrentPage;

    page.WinSizeTrackBar->setValue(4);
    QCOMPARE(page.WinSizeLabel->text(), QStringLiteral("Grid size: 32"));
    QCOMPARE(page.Image->Picture(), loaded);
    QCOMPARE(page.ShownGridPosition, 1);

    QTest::mouseClick(page.GridBox, Qt::LeftButton);
    QVERIFY(page.GridBox->isChecked());
    QCOMPARE(page.Image->Picture(), WithGrid(loaded, 256, 256, 8));
    QCOMPARE(page.ShownGridPosition, 4);

    page.WinSizeTrackBar->setValue(2);
    QCOMPARE(page.WinSizeLabel->text(), QStringLiteral("Grid size: 128"));
    QCOMPARE(page.Image->Picture(), WithGrid(loaded, 256, 256, 2));
    QCOMPARE(page.ShownGridPosition, 2);
}

void MainWindowCommandsTest::showGridTwiceRestoresEveryPixel() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    d.SelectPage(3); // the "DCT 2D" page shows its grid as well
    TransformPage& page = *d.window.CurrentPage;
    page.WinSizeTrackBar->setValue(6);
    const QImage before = page.Image->Picture();
    QTest::mouseClick(page.GridBox, Qt::LeftButton);
    QVERIFY(page.Image->Picture() != before);
    QTest::mouseClick(page.GridBox, Qt::LeftButton);
    QCOMPARE(page.Image->Picture(), before);
}

void MainWindowCommandsTest::gridChangeAfterOpenShowsTheLoadedImage() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    TransformPage& page = *d.window.CurrentPage;
    page.GridBox->setChecked(true);
    page.WinSizeTrackBar->setValue(3);
    d.Open(Corpus("natural/coffee_256x256.bmp"));
    QVERIFY(page.NeedsReload);
    page.WinSizeTrackBar->setValue(2);
    // The old grid went with the old image: only the new grid is drawn.
    QCOMPARE(page.Image->Picture(), WithGrid(d.OriginalImage()->Picture(), 256, 256, 2));
    QVERIFY(!page.NeedsReload);
}

void MainWindowCommandsTest::gridChangeAfterConversionKeepsTheResult() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    TransformPage& page = *d.window.CurrentPage;
    page.ErrorTrackBar->setValue(10);
    Convert(d);
    const QImage result = page.Image->Picture();
    QVERIFY(result != d.OriginalImage()->Picture());
    page.WinSizeTrackBar->setValue(3);
    QCOMPARE(page.Image->Picture(), result);
}

void MainWindowCommandsTest::reloadUsesTheLoadedImageNotTheSavedFile() {
    QTemporaryDir dir;
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    const QImage loaded = d.OriginalImage()->Picture();
    d.window.CurrentPage->ErrorTrackBar->setValue(30);
    Convert(d);
    d.dialogs->saveAnswers.push_back(dir.filePath("result.bmp"));
    d.Button("SaveButton")->click();
    QCOMPARE(d.window.CurrentFileName, dir.filePath("result.bmp"));

    d.SelectPage(0);
    d.window.CurrentPage->WinSizeTrackBar->setValue(2);
    QCOMPARE(d.window.CurrentPage->Image->Picture(), loaded);
}

void MainWindowCommandsTest::openingAnotherImageKeepsUnsavedResults() {
    QTemporaryDir dir;
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    TransformPage& page = *d.window.CurrentPage;
    page.ErrorTrackBar->setValue(20);
    Convert(d);
    const QImage result = page.Image->Picture();
    d.Open(Corpus("natural/coffee_256x256.bmp"));
    page.WinSizeTrackBar->setValue(2);
    QCOMPARE(page.Image->Picture(), result);

    // Once saved, the next grid change shows the newly loaded image.
    d.dialogs->saveAnswers.push_back(dir.filePath("kept.bmp"));
    d.Button("SaveButton")->click();
    page.WinSizeTrackBar->setValue(3);
    QCOMPARE(page.Image->Picture(), d.OriginalImage()->Picture());
}

void MainWindowCommandsTest::zoomStopsAtItsLimits() {
    WindowDriver d;
    ImageView* image = d.window.CurrentPage->Image;
    for (int i = 0; i < 10; ++i) {
        QTest::mouseClick(image, Qt::RightButton);
    }
    QCOMPARE(image->size(), QSize(8, 8));
    QTest::mouseClick(image, Qt::MiddleButton);
    QCOMPARE(image->size(), QSize(8, 8));
    for (int i = 0; i < 12; ++i) {
        QTest::mouseClick(image, Qt::LeftButton, {}, QPoint(2, 2));
    }
    QCOMPARE(image->size(), QSize(8192, 8192));

    ImageView* original = d.OriginalImage();
    QTest::mouseClick(original, Qt::LeftButton);
    QCOMPARE(original->size(), QSize(512, 512));
    QTest::mouseClick(original, Qt::RightButton);
    QTest::mouseClick(original, Qt::RightButton);
    QCOMPARE(original->size(), QSize(128, 128));
}

void MainWindowCommandsTest::savesTheActivePage() {
    QTemporaryDir dir;
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    d.window.CurrentPage->ErrorTrackBar->setValue(15);
    Convert(d);
    d.dialogs->saveAnswers.push_back(dir.filePath("saved")); // no extension typed
    d.Button("SaveButton")->click();
    QCOMPARE(d.dialogs->saveTitles, QStringList({"Save image"}));
    QCOMPARE(LoadBitmap(dir.filePath("saved.bmp")), d.window.CurrentPage->Image->Picture());
    QVERIFY(!d.window.CurrentPage->Unsaved);
    QVERIFY(!d.Button("SaveButton")->isEnabled());
}

void MainWindowCommandsTest::failedSaveKeepsThePageUnsaved() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    Convert(d);
    const QString target = QStringLiteral("/proc/no-such-folder/result.bmp");
    d.dialogs->saveAnswers.push_back(target);
    d.Button("SaveButton")->click();
    QCOMPARE(d.dialogs->messages.size(), std::size_t(1));
    QVERIFY2(d.dialogs->messages[0].text.startsWith("Cannot save result.bmp: "),
             qPrintable(d.dialogs->messages[0].text));
    QVERIFY(!QFileInfo::exists(target));
    QVERIFY(d.window.CurrentPage->Unsaved);
    QVERIFY(d.Button("SaveButton")->isEnabled());
    QCOMPARE(d.window.CurrentFileName, Corpus("natural/chelsea_256x256.bmp"));
}

void MainWindowCommandsTest::closePromptAsksInPageOrder() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    for (const int page : {4, 1, 3}) {
        d.SelectPage(page);
        Convert(d);
    }
    d.window.show();
    d.dialogs->questionAnswers = {Dialogs::Answer::No, Dialogs::Answer::Cancel};
    d.Button("ExitButton")->click();
    QVERIFY(d.window.isVisible());
    QCOMPARE(d.dialogs->questions.size(), std::size_t(2));
    QCOMPARE(d.dialogs->questions[0].title, QStringLiteral("Be careful !"));
    QCOMPARE(d.dialogs->questions[0].text,
             QStringLiteral("D4 1D transformed image not saved. Do you want to save ?"));
    QCOMPARE(d.dialogs->questions[1].text,
             QStringLiteral("DCT 2D transformed image not saved. Do you want to save ?"));

    d.dialogs->questions.clear();
    d.dialogs->questionAnswers = {Dialogs::Answer::No, Dialogs::Answer::No, Dialogs::Answer::No};
    d.Button("ExitButton")->click();
    QCOMPARE(d.dialogs->questions.size(), std::size_t(3));
    QVERIFY(!d.window.isVisible());
}

void MainWindowCommandsTest::closePromptYesSavesAndCloses() {
    QTemporaryDir dir;
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    d.SelectPage(0);
    Convert(d);
    d.window.show();
    d.dialogs->questionAnswers = {Dialogs::Answer::Yes};
    d.dialogs->saveAnswers.push_back(dir.filePath("dct.bmp"));
    QVERIFY(d.window.close());
    QCOMPARE(d.dialogs->saveTitles, QStringList({"Save image : DCT 1D"}));
    QCOMPARE(LoadBitmap(dir.filePath("dct.bmp")), d.window.Pages[0].Image->Picture());
    QVERIFY(!d.window.Pages[0].Unsaved);
}

void MainWindowCommandsTest::closePromptCancelledSaveKeepsWindowOpen() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    Convert(d);
    d.window.show();
    d.dialogs->questionAnswers = {Dialogs::Answer::Yes};
    QVERIFY(!d.window.close()); // the save dialog is cancelled
    QVERIFY(d.window.isVisible());
    QVERIFY(d.window.CurrentPage->Unsaved);

    d.dialogs->questionAnswers = {Dialogs::Answer::Yes};
    d.dialogs->saveAnswers.push_back(QStringLiteral("/proc/no-such-folder/x.bmp"));
    QVERIFY(!d.window.close()); // the save fails
    QCOMPARE(d.dialogs->messages.size(), std::size_t(1));
    QVERIFY(d.window.CurrentPage->Unsaved);
}

void MainWindowCommandsTest::closingDuringConversionIsRefused() {
    BlockingTransform blocking;
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    const QImage before = d.window.CurrentPage->Image->Picture();
    d.window.CurrentPage->Transform = &blocking;
    d.window.show();
    d.Button("ConvertButton")->click();
    QTRY_VERIFY(blocking.Started());
    // No keeps the conversion running and the window open.
    d.dialogs->questionAnswers = {Dialogs::Answer::No};
    QVERIFY(!d.window.close());
    QCOMPARE(d.dialogs->questions.size(), std::size_t(1));
    QCOMPARE(d.dialogs->questions[0].text,
             QStringLiteral("1 conversion is still running. Stop it and close?"));
    QVERIFY(d.window.CurrentPage->Busy);
    QVERIFY(d.dialogs->messages.empty());
    // Yes stops it; the page is as before, so nothing is left to save and the window closes.
    d.dialogs->questionAnswers = {Dialogs::Answer::Yes};
    QTimer::singleShot(0, [&blocking] { blocking.Release(); });
    QVERIFY(d.window.close());
    QVERIFY(d.Idle());
    QVERIFY(!d.window.CurrentPage->Unsaved);
    QCOMPARE(d.window.CurrentPage->Image->Picture(), before);
    QCOMPARE(d.dialogs->questions.size(), std::size_t(2));
    QVERIFY(d.dialogs->messages.empty());
}

QTEST_MAIN(MainWindowCommandsTest)
#include "MainWindowCommandsTest.moc"
