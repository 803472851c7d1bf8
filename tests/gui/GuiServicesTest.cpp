#include "Application.h"
#include "Canvas.h"
#include "DirectoryListBox.h"
#include "FakeDialogs.h"
#include "FileDialog.h"
#include "FileFilter.h"
#include "FileListBox.h"
#include "Guarded.h"
#include "ImageView.h"
#include "ProgressBar.h"
#include "Thread.h"
#include "TileGrid.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <stdexcept>
#include <string>

namespace {

class StepThread : public Thread {
public:
    std::function<void()> step;
    QThread* stepThread = nullptr;
    QThread* executeThread = nullptr;
    std::string caught;

protected:
    void Execute() override {
        executeThread = QThread::currentThread();
        try {
            Synchronize([this] {
                stepThread = QThread::currentThread();
                if (step) {
                    step();
                }
            });
        } catch (const std::exception& error) {
            caught = error.what();
            throw;
        }
    }
};

QImage Filled(int width, int height, QRgb color) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

} // namespace

class GuiServicesTest : public QObject {
    Q_OBJECT

private slots:
    void pixelsReadAsColorRefAndWhiteOutside();
    void pixelWritesOutsideAreIgnored();
    void linesEndOnePixelShortAndInvertOnce();
    void gridDrawnTwiceRemovesItself();
    void gridWithNoSpacingDrawsNothing();
    void progressBarHoldsItsRange();
    void imageViewStretchesItsPicture();
    void threadRunsStepsOnTheGuiThread();
    void threadCarriesExceptionsBack();
    void fileDialogAddsTheDefaultExtension();
    void fileDialogOffersTheSuggestedName();
    void fileFilterReadsItsEntriesAndWritesThemBack();
    void fileListShowsMatchingFiles();
    void directoryListOpensSubfolders();
    void exceptionsInHandlersReachTheMessageBox();
};

void GuiServicesTest::pixelsReadAsColorRefAndWhiteOutside() {
    QImage image = Filled(3, 2, qRgb(0x12, 0x34, 0x56));
    const Canvas canvas(&image);
    QCOMPARE(canvas.GetPixel(0, 0), 0x00563412u);
    QCOMPARE(canvas.GetPixel(2, 1), 0x00563412u);
    for (const QPoint p : {QPoint(3, 0), QPoint(0, 2), QPoint(-1, 0), QPoint(0, -1)}) {
        QCOMPARE(canvas.GetPixel(p.x(), p.y()), Canvas::InvalidColor);
    }
    QImage empty;
    QCOMPARE(Canvas(&empty).GetPixel(0, 0), Canvas::InvalidColor);
}

void GuiServicesTest::pixelWritesOutsideAreIgnored() {
    QImage image = Filled(2, 2, qRgb(0, 0, 0));
    const QImage before = image;
    int changes = 0;
    Canvas canvas(&image, [&] { ++changes; });
    canvas.SetPixel(2, 0, 0x00FFFFFFu);
    canvas.SetPixel(0, -1, 0x00FFFFFFu);
    QCOMPARE(image, before);
    canvas.SetPixels(1, 0, 0x00332211u);
    QCOMPARE(image.pixel(1, 0), qRgb(0x11, 0x22, 0x33));
    QCOMPARE(changes, 1);
}

void GuiServicesTest::linesEndOnePixelShortAndInvertOnce() {
    QImage image = Filled(8, 8, qRgb(10, 20, 30));
    Canvas canvas(&image);
    canvas.SetPenMode(Canvas::PenMode::Not);
    canvas.MoveTo(1, 3);
    canvas.LineTo(6, 3);
    const QRgb inverted = qRgb(245, 235, 225);
    for (int x = 0; x < 8; ++x) {
        QCOMPARE(image.pixel(x, 3), x >= 1 && x < 6 ? inverted : qRgb(10, 20, 30));
    }
    // Upward: from (2, 7) to (2, 0) covers rows 7 down to 1.
    canvas.MoveTo(2, 7);
    canvas.LineTo(2, 0);
    QCOMPARE(image.pixel(2, 0), qRgb(10, 20, 30));
    QCOMPARE(image.pixel(2, 3), qRgb(10, 20, 30)); // crossed twice
    QCOMPARE(image.pixel(2, 1), inverted);
    QCOMPARE(image.pixel(2, 7), inverted);
}

void GuiServicesTest::gridDrawnTwiceRemovesItself() {
    QImage image(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            image.setPixel(x, y, qRgb(x * 4, y * 4, (x ^ y) & 0xFF));
        }
    }
    const QImage before = image;
    Canvas canvas(&image);
    DrawTileGrid(canvas, 64, 64, 32);
    int lines = 0;
    for (int x = 0; x < 64; ++x) {
        lines += image.pixel(x, 11) != before.pixel(x, 11);
    }
    QCOMPARE(lines, 31); // a vertical line every second column, from 2 to 62
    QCOMPARE(canvas.GetPenMode(), Canvas::PenMode::Copy);
    DrawTileGrid(canvas, 64, 64, 32);
    QCOMPARE(image, before);
}

void GuiServicesTest::gridWithNoSpacingDrawsNothing() {
    QImage image = Filled(4, 4, qRgb(1, 2, 3));
    const QImage before = image;
    Canvas canvas(&image);
    DrawTileGrid(canvas, 4, 4, 32); // spacing 0 must not loop
    DrawTileGrid(canvas, 4, 4, 1);
    QCOMPARE(image, before);
}

void GuiServicesTest::progressBarHoldsItsRange() {
    ProgressBar bar;
    bar.setRange(0, 255);
    bar.SetPosition(252);
    bar.SetPosition(bar.Position() + 84);
    QCOMPARE(bar.Position(), 255);
    bar.SetPosition(-3);
    QCOMPARE(bar.Position(), 0);
}

void GuiServicesTest::imageViewStretchesItsPicture() {
    ImageView view;
    QImage picture = Filled(2, 2, qRgb(255, 0, 0));
    picture.setPixel(1, 1, qRgb(0, 0, 255));
    view.SetPicture(picture);
    view.SetControlSize(64, 64);
    const QImage shown = view.grab().toImage();
    QCOMPARE(shown.size(), QSize(64, 64));
    QCOMPARE(shown.pixel(10, 10), qRgb(255, 0, 0));
    QCOMPARE(shown.pixel(50, 50), qRgb(0, 0, 255));
    QCOMPARE(shown.pixel(50, 10), qRgb(255, 0, 0));
    // Painting only a part maps that part alone.
    const QImage part = view.grab(QRect(32, 32, 32, 32)).toImage();
    QCOMPARE(part.pixel(5, 5), qRgb(0, 0, 255));
    // The picture itself keeps its size; the view is only stretched.
    QCOMPARE(view.Picture().size(), QSize(2, 2));
}

void GuiServicesTest::threadRunsStepsOnTheGuiThread() {
    auto* thread = new StepThread;
    QThread* stepThread = nullptr;
    QThread* terminateThread = nullptr;
    int terminations = 0;
    thread->step = [&] { stepThread = QThread::currentThread(); };
    thread->OnTerminate = [&](Thread* self) {
        terminateThread = QThread::currentThread();
        ++terminations;
        delete self; // a handler may destroy its thread
    };
    thread->Resume();
    QTRY_COMPARE(terminations, 1);
    QCOMPARE(stepThread, QThread::currentThread());
    QCOMPARE(terminateThread, QThread::currentThread());
}

void GuiServicesTest::threadCarriesExceptionsBack() {
    StepThread thread;
    bool terminated = false;
    thread.OnTerminate = [&](Thread*) { terminated = true; };
    thread.step = [] { throw std::runtime_error("step failed"); };
    thread.Resume();
    QTRY_VERIFY(terminated);
    QVERIFY(thread.executeThread != QThread::currentThread());
    QCOMPARE(thread.caught, std::string("step failed"));
    QVERIFY(thread.FatalException());
}

void GuiServicesTest::fileDialogAddsTheDefaultExtension() {
    FakeDialogsScope dialogs;
    FileDialog save(FileDialog::Kind::Save, "Save image", "Bitmap files (*.bmp)|*.bmp", "*.bmp");
    QCOMPARE(save.QtFilter(), QStringLiteral("Bitmap files (*.bmp)"));
    dialogs->saveAnswers = {"/tmp/result", "/tmp/other.bmp"};
    QVERIFY(save.Execute(nullptr));
    QCOMPARE(save.FileName(), QStringLiteral("/tmp/result.bmp"));
    QVERIFY(save.Execute(nullptr));
    QCOMPARE(save.FileName(), QStringLiteral("/tmp/other.bmp"));
    QVERIFY(!save.Execute(nullptr));
    QCOMPARE(save.FileName(), QStringLiteral("/tmp/other.bmp"));
    QCOMPARE(dialogs->saveTitles, QStringList({"Save image", "Save image", "Save image"}));
}

void GuiServicesTest::fileDialogOffersTheSuggestedName() {
    FakeDialogsScope dialogs;
    FileDialog save(FileDialog::Kind::Save, "Save image", "Bitmap files (*.bmp)|*.bmp", "*.bmp");
    save.SetSuggestedName(QStringLiteral("a_DCT1D_1tiles_5pct.bmp"));
    dialogs->saveAnswers = {"/tmp/x/result.bmp"};
    QVERIFY(save.Execute(nullptr));
    // In the current folder first, then in the folder of the last file chosen.
    save.SetSuggestedName(QStringLiteral("b.bmp"));
    QVERIFY(!save.Execute(nullptr));
    save.SetSuggestedName(QString());
    QVERIFY(!save.Execute(nullptr));
    QCOMPARE(
        dialogs->saveDirectories,
        QStringList({QDir::currentPath() + "/a_DCT1D_1tiles_5pct.bmp", "/tmp/x/b.bmp", "/tmp/x"}));
    // The folder dialog answers as the file dialogs do: none left is a cancel.
    dialogs->directoryAnswers = {"/tmp/x"};
    QCOMPARE(Dialogs::Current().ExistingDirectory(nullptr, "Folder", "/tmp"),
             QStringLiteral("/tmp/x"));
    QCOMPARE(Dialogs::Current().ExistingDirectory(nullptr, "Folder", "/tmp"), QString());
    QCOMPARE(dialogs->directoryTitles, QStringList({"Folder", "Folder"}));
}

void GuiServicesTest::fileFilterReadsItsEntriesAndWritesThemBack() {
    const QString text = QStringLiteral("Bitmap files (*.bmp)|*.bmp|All images (*.bmp *.png)|"
                                        "*.bmp;*.png");
    const QList<FileFilterEntry> entries = ParseFileFilter(text);
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[1].Description, QStringLiteral("All images (*.bmp *.png)"));
    QCOMPARE(entries[1].Masks, QStringLiteral("*.bmp;*.png"));
    QCOMPARE(FileFilterText(entries), text);
    // A description left without its masks is not an entry.
    QCOMPARE(ParseFileFilter(QStringLiteral("Bitmap files (*.bmp)|*.bmp|PNG files")).size(), 1);
    QVERIFY(ParseFileFilter(QString()).isEmpty());
    // The save dialog's default filter is the first entry's description.
    const FileDialog save(FileDialog::Kind::Save, "Save image", text, "*.bmp");
    QCOMPARE(save.SelectedFilter(), QStringLiteral("Bitmap files (*.bmp)"));
    QCOMPARE(save.QtFilter(), QStringLiteral("Bitmap files (*.bmp);;All images (*.bmp *.png)"));
}

void GuiServicesTest::fileListShowsMatchingFiles() {
    QTemporaryDir dir;
    for (const char* name : {"b.bmp", "A.BMP", "c.png", "d.bmp"}) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QDir(dir.path()).mkdir("sub.bmp");
    FileListBox list;
    list.SetMask("*.bmp");
    list.SetDirectory(dir.path());
    QStringList names;
    for (int i = 0; i < list.count(); ++i) {
        names << list.item(i)->text();
    }
    QCOMPARE(names, QStringList({"A.BMP", "b.bmp", "d.bmp"}));
    QVERIFY(list.FileName().isEmpty());
    QSignalSpy clicks(&list, &FileListBox::Click);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(list.item(1)).center());
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(list.FileName(), QDir(dir.path()).absoluteFilePath("b.bmp"));
}

void GuiServicesTest::directoryListOpensSubfolders() {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("inner");
    DirectoryListBox list;
    list.SetDirectory(dir.path());
    QSignalSpy changes(&list, &DirectoryListBox::DirectoryChanged);
    const auto inner = list.findItems("inner", Qt::MatchEndsWith);
    QCOMPARE(inner.size(), 1);
    emit list.itemActivated(inner[0]);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(list.Directory(), QDir(dir.path()).absoluteFilePath("inner"));
    // The chain back to the root stays listed, so the parent can be opened.
    const auto parent = list.findItems(QDir(dir.path()).dirName(), Qt::MatchEndsWith);
    QCOMPARE(parent.size(), 1);
    emit list.itemActivated(parent[0]);
    QCOMPARE(list.Directory(), QDir(dir.path()).absolutePath());
}

namespace {

class FailingHandler : public QObject {
public:
    void Fail() { throw std::runtime_error("handler failed"); }
    void FailOnValue(int value) { throw std::runtime_error("value " + std::to_string(value)); }
};

} // namespace

void GuiServicesTest::exceptionsInHandlersReachTheMessageBox() {
    FakeDialogsScope dialogs;
    FailingHandler handler;
    QPushButton button;
    connect(&button, &QPushButton::clicked, &handler, Guarded(&handler, &FailingHandler::Fail));
    QTest::mouseClick(&button, Qt::LeftButton);
    ProgressBar bar;
    connect(&bar, &QProgressBar::valueChanged, &handler,
            Guarded(&handler, &FailingHandler::FailOnValue));
    bar.SetPosition(7);
    QCOMPARE(dialogs->messages.size(), std::size_t(2));
    QCOMPARE(dialogs->messages[0].title, QStringLiteral("Tarvish"));
    QCOMPARE(dialogs->messages[0].text, QStringLiteral("handler failed"));
    QCOMPARE(dialogs->messages[1].text, QStringLiteral("value 7"));
}

int main(int argc, char** argv) {
    Application application(argc, argv);
    Application::setApplicationName(QStringLiteral("Tarvish"));
    GuiServicesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "GuiServicesTest.moc"
