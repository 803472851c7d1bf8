#include "WindowDriver.h"

#include "BitmapFile.h"
#include "ConversionResult.h"
#include "ProgressBar.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>

namespace {

QAction* Action(WindowDriver& d, const char* name) {
    return d.Find<QAction>(QString::fromLatin1(name));
}

// Every command's action follows its button; the others follow their own rule.
void CheckActionsFollowButtons(WindowDriver& d) {
    const std::pair<const char*, const char*> pairs[] = {{"OpenAction", "OpenButton"},
                                                         {"SaveAction", "SaveButton"},
                                                         {"ExitAction", "ExitButton"},
                                                         {"ConvertAction", "ConvertButton"},
                                                         {"StopAction", "StopButton"}};
    for (const auto& [action, button] : pairs) {
        QVERIFY2(Action(d, action)->isEnabled() == d.Button(button)->isEnabled(), action);
    }
}

QString Broken(const QTemporaryDir& dir) {
    const QString broken = dir.filePath("broken.bmp");
    QFile file(broken);
    QFile source(Corpus("natural/chelsea_256x256.bmp"));
    if (!file.open(QIODevice::WriteOnly) || !source.open(QIODevice::ReadOnly)) {
        qFatal("cannot make a broken bitmap");
    }
    file.write(source.read(1000));
    return broken;
}

void Drop(QWidget& window, const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &drop);
}

void CtrlWheel(QWidget* widget, int delta) {
    QWheelEvent wheel(QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(widget, &wheel);
}

} // namespace

class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    void menusHoldEveryCommandWithItsShortcut();
    void actionsAreEnabledExactlyAsTheirButtons();
    void startingConversionHoldsSaveAndConvert();
    void stopReturnsThePageToWhatItShowed();
    void droppedFileOpensAsOpenDoes();
    void ctrlWheelZoomsAsClicksDo();
    void imagesKeepTheirAspectRatio();
    void eachPageSaysWhatItsNextConversionCovers();
    void changingTextsMoveNothing();
    void convertAllAndSaveAll();
    void closingAsksOnceForSeveralConversions();
    void conversionTooLargeForMemoryIsRefused();
};

void DesktopTest::menusHoldEveryCommandWithItsShortcut() {
    WindowDriver d;
    const std::pair<const char*, QKeySequence> shortcuts[] = {
        {"OpenAction", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"SaveAction", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"ExitAction", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {"ConvertAction", QKeySequence(Qt::CTRL | Qt::Key_Return)},
        {"ConvertAllAction", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Return)},
        {"StopAction", QKeySequence(Qt::Key_Escape)},
        {"ZoomInAction", QKeySequence(Qt::CTRL | Qt::Key_Plus)},
        {"ZoomOutAction", QKeySequence(Qt::CTRL | Qt::Key_Minus)},
        {"FitSideAction", QKeySequence(Qt::CTRL | Qt::Key_0)},
        {"ShowGridAction", QKeySequence(Qt::CTRL | Qt::Key_G)},
        {"AboutAction", QKeySequence(Qt::Key_F1)}};
    for (const auto& [name, keys] : shortcuts) {
        QVERIFY2(Action(d, name)->shortcuts().contains(keys), name);
    }
    QVERIFY(Action(d, "SaveAllAction"));
    QVERIFY(
        Action(d, "NextPageAction")->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Tab)));

    // Next and previous page go round.
    d.SelectPage(5);
    Action(d, "NextPageAction")->trigger();
    QCOMPARE(d.window.CurrentPage, &d.window.Pages[0]);
    Action(d, "PreviousPageAction")->trigger();
    QCOMPARE(d.window.CurrentPage, &d.window.Pages[5]);
    // Show grid clicks the page's box.
    Action(d, "ShowGridAction")->trigger();
    QVERIFY(d.window.CurrentPage->GridBox->isChecked());
    QVERIFY(Action(d, "ShowGridAction")->isChecked());
    d.SelectPage(0);
    QVERIFY(!Action(d, "ShowGridAction")->isChecked());
    Action(d, "AboutAction")->trigger();
    QCOMPARE(d.dialogs->modalRuns, 1);
}

void DesktopTest::actionsAreEnabledExactlyAsTheirButtons() {
    BlockingTransform blocking;
    WindowDriver d;
    CheckActionsFollowButtons(d);
    QVERIFY(!Action(d, "ConvertAction")->isEnabled());
    QVERIFY(!Action(d, "ConvertAllAction")->isEnabled());
    QVERIFY(!Action(d, "SaveAllAction")->isEnabled());
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    CheckActionsFollowButtons(d);
    QVERIFY(Action(d, "ConvertAction")->isEnabled());
    QVERIFY(!Action(d, "StopAction")->isEnabled());

    d.window.CurrentPage->Transform = &blocking;
    Action(d, "ConvertAction")->trigger();
    QTRY_VERIFY(blocking.Started());
    CheckActionsFollowButtons(d);
    QVERIFY(Action(d, "StopAction")->isEnabled());
    QVERIFY(!Action(d, "OpenAction")->isEnabled());
    d.SelectPage(1);
    CheckActionsFollowButtons(d);
    QVERIFY(!Action(d, "StopAction")->isEnabled());
    d.SelectPage(4);
    blocking.Release();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    CheckActionsFollowButtons(d);
    QVERIFY(Action(d, "SaveAction")->isEnabled());
    QVERIFY(Action(d, "SaveAllAction")->isEnabled());

    // Zoom is offered while it can change the size.
    for (int i = 0; i < 5; ++i) {
        Action(d, "ZoomOutAction")->trigger();
    }
    QCOMPARE(d.window.CurrentPage->Image->width(), 8);
    QVERIFY(!Action(d, "ZoomOutAction")->isEnabled());
    QVERIFY(Action(d, "ZoomInAction")->isEnabled());
}

void DesktopTest::startingConversionHoldsSaveAndConvert() {
    BlockingTransform blocking;
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    // Page 1 holds an unsaved result, so Save is offered there.
    d.SelectPage(1);
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    QVERIFY(d.Button("SaveButton")->isEnabled());

    // Page 4 starts converting; page 1 becomes active before the conversion's first step runs.
    d.SelectPage(4);
    d.window.CurrentPage->Transform = &blocking;
    d.Button("ConvertButton")->click();
    d.SelectPage(1);
    QVERIFY(d.Button("ConvertButton")->isEnabled());
    QVERIFY(d.Button("SaveButton")->isEnabled());
    // The first step disables Save and Convert whichever page is active.
    QTRY_VERIFY(blocking.Started());
    QVERIFY(!d.Button("ConvertButton")->isEnabled());
    QVERIFY(!d.Button("SaveButton")->isEnabled());
    CheckActionsFollowButtons(d);
    // Until the next change of state: here, the page's grid box.
    d.window.CurrentPage->GridBox->click();
    QVERIFY(d.Button("ConvertButton")->isEnabled());
    QVERIFY(d.Button("SaveButton")->isEnabled());
    CheckActionsFollowButtons(d);

    blocking.Release();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    QVERIFY(d.Button("ConvertButton")->isEnabled());
    CheckActionsFollowButtons(d);
}

void DesktopTest::stopReturnsThePageToWhatItShowed() {
    BlockingTransform blocking;
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    TransformPage& page = *d.window.CurrentPage;
    // A first result, unsaved, that the stopped conversion must not take away.
    page.ErrorTrackBar->setValue(30);
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    const QImage result = page.Image->Picture();
    const QString caption = page.CompressLabel->text();
    const QString quality = page.QualityLabel->text();
    const int bar = page.CompressBar->value();
    QVERIFY(page.Unsaved);

    page.Transform = &blocking;
    page.ErrorTrackBar->setValue(60);
    d.Button("ConvertButton")->click();
    QTRY_VERIFY(blocking.Started());
    QVERIFY(d.Button("StopButton")->isEnabled());
    d.Button("StopButton")->click();
    blocking.Release();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    QVERIFY(!page.Busy);
    QVERIFY(page.Unsaved);
    QCOMPARE(page.Image->Picture(), result);
    QCOMPARE(page.CompressLabel->text(), caption);
    QCOMPARE(page.CompressBar->value(), bar);
    QCOMPARE(page.QualityLabel->text(), quality);
    QCOMPARE(page.TabSheet->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(d.dialogs->messages.empty());
    QVERIFY(d.Button("ConvertButton")->isEnabled());
    QVERIFY(d.Button("OpenButton")->isEnabled());
    QVERIFY(!d.Button("StopButton")->isEnabled());
}

void DesktopTest::droppedFileOpensAsOpenDoes() {
    WindowDriver d;
    QTemporaryDir dir;
    Drop(d.window, Corpus("natural/coffee_400x300.bmp"));
    QCOMPARE(d.window.CurrentFileName, Corpus("natural/coffee_400x300.bmp"));
    QCOMPARE(d.OriginalImage()->Picture(), LoadBitmap(Corpus("natural/coffee_400x300.bmp")));
    for (const auto& page : d.window.Pages) {
        QVERIFY(page.NeedsReload);
    }
    QVERIFY(d.Button("ConvertButton")->isEnabled());

    for (auto& page : d.window.Pages) {
        page.NeedsReload = false;
    }
    const QImage before = d.OriginalImage()->Picture();
    Drop(d.window, Broken(dir));
    QCOMPARE(d.dialogs->messages.size(), std::size_t(1));
    QVERIFY(d.dialogs->messages[0].text.startsWith("Cannot load broken.bmp: "));
    QCOMPARE(d.window.CurrentFileName, Corpus("natural/coffee_400x300.bmp"));
    QCOMPARE(d.OriginalImage()->Picture(), before);
    for (const auto& page : d.window.Pages) {
        QVERIFY(!page.NeedsReload);
    }
}

void DesktopTest::ctrlWheelZoomsAsClicksDo() {
    WindowDriver d;
    ImageView* image = d.window.CurrentPage->Image;
    CtrlWheel(image, 120);
    QCOMPARE(image->size(), QSize(512, 512));
    CtrlWheel(image, -240);
    QCOMPARE(image->size(), QSize(128, 128));
    // Half a notch at a time adds up.
    CtrlWheel(image, 60);
    QCOMPARE(image->width(), 128);
    CtrlWheel(image, 60);
    QCOMPARE(image->width(), 256);
    CtrlWheel(d.OriginalImage(), 120);
    QCOMPARE(d.OriginalImage()->width(), 512);
    QCOMPARE(d.window.CurrentPage->CoverageLabel->text().left(21),
             QStringLiteral("Converts a white 256 "));
}

void DesktopTest::imagesKeepTheirAspectRatio() {
    WindowDriver d;
    d.Open(Corpus("natural/coffee_400x300.bmp"));
    ImageView* view = d.OriginalImage();
    // 400 x 300 in 256 x 256: 256 x 192, centred, so rows 0..31 show no picture.
    QCOMPARE(view->PictureRect(), QRect(0, 32, 256, 192));
    const QImage shown = view->grab().toImage();
    const QColor background = view->palette().color(QPalette::Window);
    QCOMPARE(QColor(shown.pixel(128, 10)), background);
    QCOMPARE(QColor(shown.pixel(128, 245)), background);
    const QImage& picture = view->Picture();
    QCOMPARE(shown.pixel(0, 32), picture.pixel(0, 0));
    QCOMPARE(shown.pixel(255, 223), picture.pixel(399, 299));
    // The control's width is still the side the next conversion converts.
    QCOMPARE(d.window.CurrentPage->Image->width(), 256);
}

void DesktopTest::eachPageSaysWhatItsNextConversionCovers() {
    WindowDriver d;
    d.Open(Corpus("natural/coffee_400x300.bmp"));
    TransformPage& page = *d.window.CurrentPage;
    QCOMPARE(page.CoverageLabel->text(),
             QStringLiteral("Converts 256 x 256 of 400 x 300 px, tiles of 256 px"));
    page.WinSizeTrackBar->setValue(4);
    QCOMPARE(page.CoverageLabel->text(),
             QStringLiteral("Converts 256 x 256 of 400 x 300 px, tiles of 32 px"));
    // The page shows the image now; the square leaves part of it out, and is marked over the
    // view, never in the picture.
    QCOMPARE(page.Image->Outline(), QRect(0, 0, 256, 256));
    QCOMPARE(page.Image->Picture(), d.OriginalImage()->Picture());
    QTest::mouseClick(page.Image, Qt::LeftButton);
    QCOMPARE(page.CoverageLabel->text(),
             QStringLiteral("Converts 512 x 512 of 400 x 300 px, tiles of 64 px"));
    QCOMPARE(page.Image->Outline(), QRect());
    // The saved result has no outline in it.
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    QCOMPARE(page.Image->Picture(), d.OriginalImage()->Picture());
}

void DesktopTest::changingTextsMoveNothing() {
    WindowDriver d;
    d.window.show();
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    TransformPage& page = *d.window.CurrentPage;
    QTRY_VERIFY(page.CompressBar->isVisible());
    const QRect bar = page.CompressBar->geometry();
    const QRect image = page.Image->parentWidget()->geometry();
    const QRect errorBar = page.ErrorTrackBar->geometry();
    page.ErrorTrackBar->setValue(100);
    page.WinSizeTrackBar->setValue(6);
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    QVERIFY(page.CompressLabel->text().startsWith("Comp : "));
    QVERIFY(!page.QualityLabel->text().isEmpty());
    QApplication::processEvents();
    QCOMPARE(page.CompressBar->geometry(), bar);
    QCOMPARE(page.Image->parentWidget()->geometry(), image);
    QCOMPARE(page.ErrorTrackBar->geometry(), errorBar);
}

void DesktopTest::convertAllAndSaveAll() {
    WindowDriver d;
    QTemporaryDir dir;
    d.Open(Corpus("natural/chelsea_200x150.bmp"));
    for (auto& page : d.window.Pages) {
        page.ErrorTrackBar->setValue(10);
    }
    Action(d, "ConvertAllAction")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    for (const auto& page : d.window.Pages) {
        QVERIFY(page.Unsaved);
        QVERIFY(page.LastResult);
    }
    // One folder for every page, each file under tarvish-batch's name for it.
    QStringList names;
    for (const char* transform : {"DCT1D", "D41D", "Haar1D", "DCT2D", "D42D", "Haar2D"}) {
        names << dir.filePath(QStringLiteral("chelsea_200x150_%1_1tiles_10pct.bmp").arg(transform));
    }
    d.dialogs->directoryAnswers = {dir.path()};
    d.dialogs->questionAnswers = {Dialogs::Answer::Yes};
    Action(d, "SaveAllAction")->trigger();
    for (int i = 0; i < 6; ++i) {
        QVERIFY(!d.window.Pages[i].Unsaved);
        QCOMPARE(LoadBitmap(names[i]), d.window.Pages[i].Image->Picture());
    }
    QCOMPARE(d.dialogs->directoryTitles, QStringList({"Save all unsaved pages"}));
    QVERIFY(d.dialogs->saveTitles.isEmpty());
    QVERIFY(!Action(d, "SaveAllAction")->isEnabled());
}

void DesktopTest::closingAsksOnceForSeveralConversions() {
    BlockingTransform first, second;
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    d.window.Pages[0].Transform = &first;
    d.window.Pages[1].Transform = &second;
    d.SelectPage(0);
    d.Button("ConvertButton")->click();
    d.SelectPage(1);
    d.Button("ConvertButton")->click();
    QTRY_VERIFY(first.Started() && second.Started());
    d.dialogs->questionAnswers = {Dialogs::Answer::Cancel};
    QVERIFY(!d.window.close());
    QCOMPARE(d.dialogs->questions.back().text,
             QStringLiteral("2 conversions are still running. Stop them and close?"));
    QVERIFY(d.window.Pages[0].Busy && d.window.Pages[1].Busy);
    d.dialogs->questionAnswers = {Dialogs::Answer::Yes};
    QTimer::singleShot(0, [&] {
        first.Release();
        second.Release();
    });
    QVERIFY(d.window.close());
    QVERIFY(d.Idle());
}

void DesktopTest::conversionTooLargeForMemoryIsRefused() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    TransformPage& page = *d.window.CurrentPage;
    for (int i = 0; i < 3; ++i) {
        QTest::mouseClick(page.Image, Qt::LeftButton);
    }
    QCOMPARE(page.Image->width(), 2048);
    // A 2048 page needs a little over 100 MiB; let the machine have 64 MiB.
    qputenv("TARVISH_MEMORY_LIMIT", "64M");
    d.Button("ConvertButton")->click();
    qunsetenv("TARVISH_MEMORY_LIMIT");
    QCOMPARE(d.dialogs->messages.size(), std::size_t(1));
    const QString text = d.dialogs->messages[0].text;
    QVERIFY2(text.startsWith(QStringLiteral("The conversion on page \"D4 2D\" at 2048 x 2048 "
                                            "needs ")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("but only 64.00 MiB are free")), qPrintable(text));
    QVERIFY(!page.Busy && !page.Thread && !page.Unsaved);
    QVERIFY(d.Button("OpenButton")->isEnabled());
    QVERIFY(d.Button("ConvertButton")->isEnabled());
}

QTEST_MAIN(DesktopTest)
#include "DesktopTest.moc"
