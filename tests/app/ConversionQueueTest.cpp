#include "WindowDriver.h"

#include "BitmapFile.h"
#include "ConversionResult.h"
#include "PageConversion.h"
#include "ParallelFor.h"

#include <QAction>
#include <QTemporaryDir>
#include <QTimer>

#include <array>

namespace {

QAction* Action(WindowDriver& d, const char* name) {
    return d.Find<QAction>(QString::fromLatin1(name));
}

// TARVISH_MEMORY_LIMIT for the life of the object: the memory figure the checks see.
class MemoryLimit {
public:
    explicit MemoryLimit(std::uint64_t bytes) {
        qputenv("TARVISH_MEMORY_LIMIT", QByteArray::number(static_cast<qulonglong>(bytes)));
    }
    ~MemoryLimit() { qunsetenv("TARVISH_MEMORY_LIMIT"); }
    MemoryLimit(const MemoryLimit&) = delete;
    MemoryLimit& operator=(const MemoryLimit&) = delete;
};

// What one page conversion at side with one tile holds.
std::uint64_t PageBytes(int side) {
    ConversionSettings settings;
    settings.Side = side;
    settings.TileCount = 1;
    return PageConversion::BytesNeeded(settings, HardwareThreads());
}

// Room for two conversions of 256 x 256 pages of the loaded image at once, not three: each
// check asks for one conversion and the image's copy beside what the running ones hold.
std::uint64_t TwoPagesOfMemory(WindowDriver& d) {
    const auto picture = static_cast<std::uint64_t>(d.OriginalImage()->Picture().sizeInBytes());
    return 2 * PageBytes(256) + picture + PageBytes(256) / 2;
}

const QString Waiting = QStringLiteral("Waiting for memory");

QStringList CompLines(WindowDriver& d) {
    QStringList lines;
    for (const auto& page : d.window.Pages) {
        lines << page.CompressLabel->text();
    }
    return lines;
}

// Which pages wait, as a string of six flags ("001111"), for readable failures.
QString WaitingPages(WindowDriver& d) {
    QString flags;
    for (const auto& page : d.window.Pages) {
        flags += page.CompressLabel->text() == Waiting ? '1' : '0';
    }
    return flags;
}

QString Bitmap(const QTemporaryDir& dir, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, qRgb(x * 4 % 256, y * 4 % 256, (x + y) % 256));
        }
    }
    const QString path = dir.filePath(QStringLiteral("small_%1x%2.bmp").arg(width).arg(height));
    SaveBitmap(image, path);
    return path;
}

} // namespace

// Convert all within a small memory: the pages that do not fit wait and start as memory frees;
// Stop cancels the waiting; a page too large even alone is named. And View > Fit side to image.
class ConversionQueueTest : public QObject {
    Q_OBJECT

private slots:
    void convertAllStartsWaitingPagesOneAfterAnother();
    void stopCancelsTheWaitingPages();
    void closingCountsTheWaitingPages();
    void pagesTooLargeEvenAloneAreNamedInOneMessage();
    void fitSideConvertsTheSquareThatCoversTheImage();
    void fitSideKeepsASideThatWouldNotFit();
};

void ConversionQueueTest::convertAllStartsWaitingPagesOneAfterAnother() {
    std::array<BlockingTransform, 6> blocking;
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    for (std::size_t i = 0; i < 6; ++i) {
        d.window.Pages[i].Transform = &blocking[i];
    }
    MemoryLimit limit(TwoPagesOfMemory(d));
    Action(d, "ConvertAllAction")->trigger();
    QVERIFY(d.dialogs->messages.empty());
    QVERIFY(d.window.Pages[0].Busy && d.window.Pages[1].Busy);
    QCOMPARE(WaitingPages(d), QStringLiteral("001111"));
    for (std::size_t i = 2; i < 6; ++i) {
        QVERIFY(!d.window.Pages[i].Busy);
    }
    // The active page (4) waits: it cannot be converted again, but Stop cancels the waiting.
    QVERIFY(!d.Button("ConvertButton")->isEnabled());
    QVERIFY(d.Button("StopButton")->isEnabled());
    QVERIFY(Action(d, "StopAction")->isEnabled());
    QVERIFY(!d.Button("OpenButton")->isEnabled());
    QVERIFY(!d.Button("ExitButton")->isEnabled());
    QVERIFY(!Action(d, "ConvertAllAction")->isEnabled());

    // Each end lets exactly the next waiting page start: two conversions at a time.
    const char* const waitingAfter[] = {"000111", "000011", "000001", "000000"};
    for (std::size_t released = 0; released < 4; ++released) {
        blocking[released].Release();
        QTRY_VERIFY_WITH_TIMEOUT(blocking[released + 2].Started(), 60000);
        QTRY_VERIFY_WITH_TIMEOUT(!d.window.Pages[released].Busy, 60000);
        QCOMPARE(WaitingPages(d), QString::fromLatin1(waitingAfter[released]));
        int busy = 0;
        for (const auto& page : d.window.Pages) {
            busy += page.Busy ? 1 : 0;
        }
        QVERIFY2(
            busy == 2,
            qPrintable(QStringLiteral("after releasing page %1: %2 busy").arg(released).arg(busy)));
    }
    blocking[4].Release();
    blocking[5].Release();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    for (std::size_t i = 0; i < 6; ++i) {
        const auto& page = d.window.Pages[i];
        QVERIFY2(page.LastResult && page.Unsaved, qPrintable(QString::number(i)));
        QVERIFY2(page.CompressLabel->text().startsWith(QStringLiteral("Comp : ")),
                 qPrintable(page.CompressLabel->text()));
    }
    QVERIFY(d.dialogs->messages.empty());
    QVERIFY(d.Button("OpenButton")->isEnabled());
    QVERIFY(!d.Button("StopButton")->isEnabled());
}

void ConversionQueueTest::stopCancelsTheWaitingPages() {
    BlockingTransform first, second;
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    d.window.Pages[0].Transform = &first;
    d.window.Pages[1].Transform = &second;
    const QStringList before = CompLines(d);
    MemoryLimit limit(TwoPagesOfMemory(d));

    // Stop on a waiting page (4, the active one) cancels every waiting page; the running ones
    // go on.
    Action(d, "ConvertAllAction")->trigger();
    QCOMPARE(WaitingPages(d), QStringLiteral("001111"));
    d.Button("StopButton")->click();
    QCOMPARE(WaitingPages(d), QStringLiteral("000000"));
    QCOMPARE(CompLines(d).mid(2), before.mid(2));
    QVERIFY(d.window.Pages[0].Busy && d.window.Pages[1].Busy);
    QVERIFY(!d.Button("StopButton")->isEnabled());
    QVERIFY(d.Button("ConvertButton")->isEnabled());
    QVERIFY(!d.Button("OpenButton")->isEnabled());

    // Esc on a running page stops it and cancels the waiting; the other running page goes on.
    Action(d, "ConvertAllAction")->trigger();
    QCOMPARE(WaitingPages(d), QStringLiteral("001111"));
    d.SelectPage(0);
    Action(d, "StopAction")->trigger();
    QCOMPARE(WaitingPages(d), QStringLiteral("000000"));
    QCOMPARE(CompLines(d).mid(2), before.mid(2));
    first.Release();
    QTRY_VERIFY_WITH_TIMEOUT(!d.window.Pages[0].Busy, 60000);
    QVERIFY(d.window.Pages[1].Busy);
    second.Release();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    QVERIFY(!d.window.Pages[0].LastResult);
    QCOMPARE(d.window.Pages[0].CompressLabel->text(), before[0]);
    QVERIFY(d.window.Pages[1].LastResult);
    for (std::size_t i = 2; i < 6; ++i) {
        QVERIFY2(!d.window.Pages[i].LastResult && !d.window.Pages[i].Busy,
                 qPrintable(QString::number(i)));
    }
    QCOMPARE(CompLines(d).mid(2), before.mid(2));
    QVERIFY(d.dialogs->messages.empty());
    QVERIFY(d.Button("OpenButton")->isEnabled());
}

void ConversionQueueTest::closingCountsTheWaitingPages() {
    BlockingTransform first, second;
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    d.window.Pages[0].Transform = &first;
    d.window.Pages[1].Transform = &second;
    MemoryLimit limit(TwoPagesOfMemory(d));
    Action(d, "ConvertAllAction")->trigger();
    d.window.show();
    d.dialogs->questionAnswers = {Dialogs::Answer::Cancel};
    QVERIFY(!d.window.close());
    QCOMPARE(d.dialogs->questions.back().text,
             QStringLiteral("2 conversions are still running and 4 waiting for memory. Stop them "
                            "and close?"));
    QCOMPARE(WaitingPages(d), QStringLiteral("001111"));

    // Yes: the waiting pages never start, the running ones stop, nothing is left to save.
    d.dialogs->questionAnswers = {Dialogs::Answer::Yes};
    QTimer::singleShot(0, [&] {
        first.Release();
        second.Release();
    });
    QVERIFY(d.window.close());
    QVERIFY(d.Idle());
    for (const auto& page : d.window.Pages) {
        QVERIFY(!page.LastResult && !page.Unsaved);
    }
    QCOMPARE(WaitingPages(d), QStringLiteral("000000"));
    QCOMPARE(d.dialogs->questions.size(), std::size_t(2));
}

void ConversionQueueTest::pagesTooLargeEvenAloneAreNamedInOneMessage() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    // Pages 1 (D4 1D) and 3 (DCT 2D) at 1024 need far more than two pages at 256.
    for (const int index : {1, 3}) {
        d.SelectPage(index);
        QTest::mouseClick(d.window.CurrentPage->Image, Qt::LeftButton);
        QTest::mouseClick(d.window.CurrentPage->Image, Qt::LeftButton);
        QCOMPARE(d.window.CurrentPage->Image->width(), 1024);
    }
    d.SelectPage(0);
    const QStringList before = CompLines(d);
    MemoryLimit limit(TwoPagesOfMemory(d));
    Action(d, "ConvertAllAction")->trigger();
    QCOMPARE(d.dialogs->messages.size(), std::size_t(1));
    const QString text = d.dialogs->messages[0].text;
    QVERIFY2(text.startsWith(QStringLiteral("2 pages cannot be converted:\n\nThe conversion on "
                                            "page \"D4 1D\" at 1024 x 1024 needs ")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("\n\nThe conversion on page \"DCT 2D\" at 1024 x 1024 "
                                          "needs ")),
             qPrintable(text));
    QCOMPARE(text.count(QStringLiteral("Zoom the page out or close other programs.")), 2);
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    for (const int index : {0, 2, 4, 5}) {
        QVERIFY2(d.window.Pages[index].LastResult, qPrintable(QString::number(index)));
    }
    for (const int index : {1, 3}) {
        QVERIFY(!d.window.Pages[index].LastResult);
        QCOMPARE(d.window.Pages[index].CompressLabel->text(), before[index]);
    }
    QCOMPARE(d.dialogs->messages.size(), std::size_t(1));

    // With room for none, every page is named in the one message.
    d.dialogs->messages.clear();
    {
        MemoryLimit none(1024);
        Action(d, "ConvertAllAction")->trigger();
    }
    QCOMPARE(d.dialogs->messages.size(), std::size_t(1));
    QVERIFY(d.dialogs->messages[0].text.startsWith(QStringLiteral("6 pages cannot be converted")));
    for (const auto& page : d.window.Pages) {
        QVERIFY(!page.Busy);
    }
    QCOMPARE(WaitingPages(d), QStringLiteral("000000"));
}

void ConversionQueueTest::fitSideConvertsTheSquareThatCoversTheImage() {
    QTemporaryDir dir;
    WindowDriver d;
    QVERIFY(!Action(d, "FitSideAction")->isEnabled());
    QCOMPARE(Action(d, "FitSideAction")->text(), QStringLiteral("Fit side to image"));
    QCOMPARE(Action(d, "FitSideAction")->shortcuts(),
             QList<QKeySequence>({QKeySequence(Qt::CTRL | Qt::Key_0)}));
    d.Open(Bitmap(dir, 64, 64));
    QVERIFY(Action(d, "FitSideAction")->isEnabled());
    // 64 x 64 of 256 x 256: 4096 of 65536 pixels, 6.25 %.
    for (const auto& page : d.window.Pages) {
        QCOMPARE(page.CoverageLabel->text(),
                 QStringLiteral("Converts 256 x 256 of 64 x 64 px, tiles of 256 px, mostly white "
                                "padding: the image covers 6 % of the square; View > Fit side to "
                                "image (Ctrl+0)"));
    }
    d.SelectPage(2);
    QTest::mouseClick(d.window.CurrentPage->Image, Qt::RightButton);
    QVERIFY(d.window.CurrentPage->CoverageLabel->text().contains(
        QStringLiteral("the image covers 25 % of the square")));

    Action(d, "FitSideAction")->trigger();
    QVERIFY(d.dialogs->messages.empty());
    for (const auto& page : d.window.Pages) {
        QCOMPARE(page.Image->size(), QSize(64, 64));
        QCOMPARE(page.CoverageLabel->text(),
                 QStringLiteral("Converts 64 x 64 of 64 x 64 px, tiles of 64 px"));
    }
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    QCOMPARE(d.window.CurrentPage->LastResult->Settings.Side, 64);
    QCOMPARE(d.window.CurrentPage->LastResult->RegionWidth, 64);

    // A 400 x 300 image is covered by 512; at 1024 it would be three quarters padding.
    d.Open(Corpus("natural/coffee_400x300.bmp"));
    QTest::mouseClick(d.window.CurrentPage->Image, Qt::LeftButton);
    QTest::mouseClick(d.window.CurrentPage->Image, Qt::LeftButton);
    QTest::mouseClick(d.window.CurrentPage->Image, Qt::LeftButton);
    QTest::mouseClick(d.window.CurrentPage->Image, Qt::LeftButton);
    QCOMPARE(d.window.CurrentPage->Image->width(), 1024);
    QVERIFY(d.window.CurrentPage->CoverageLabel->text().contains(
        QStringLiteral("the image covers 11 % of the square")));
    Action(d, "FitSideAction")->trigger();
    for (const auto& page : d.window.Pages) {
        QCOMPARE(page.Image->width(), 512);
    }
    // 400 x 300 of 512 x 512 is 46 % image, but no smaller power of two covers it. The page
    // still shows the 64 x 64 image's result, and says so.
    QCOMPARE(d.window.CurrentPage->CoverageLabel->text(),
             QStringLiteral("Shows the result of small_64x64.bmp; converts 512 x 512 of 400 x 300 "
                            "px, tiles of 512 px"));
}

void ConversionQueueTest::fitSideKeepsASideThatWouldNotFit() {
    WindowDriver d;
    d.Open(Corpus("natural/coffee_400x300.bmp"));
    d.SelectPage(0);
    for (int i = 0; i < 2; ++i) {
        QTest::mouseClick(d.window.CurrentPage->Image, Qt::LeftButton);
    }
    QCOMPARE(d.window.Pages[0].Image->width(), 1024);
    // Room for a 256 page and the image, not for a 512 one.
    const auto picture = static_cast<std::uint64_t>(d.OriginalImage()->Picture().sizeInBytes());
    {
        MemoryLimit limit(PageBytes(256) + picture + 1);
        Action(d, "FitSideAction")->trigger();
    }
    // Page 0 shrinks to 512, which never needs more; the others stay at 256 and are named.
    QCOMPARE(d.window.Pages[0].Image->width(), 512);
    for (std::size_t i = 1; i < 6; ++i) {
        QCOMPARE(d.window.Pages[i].Image->width(), 256);
    }
    QCOMPARE(d.dialogs->messages.size(), std::size_t(1));
    const QString text = d.dialogs->messages[0].text;
    QVERIFY2(text.startsWith(QStringLiteral("Fit side to image left these pages as they were:\n\n"
                                            "The conversion on page \"D4 1D\" at 512 x 512 "
                                            "needs ")),
             qPrintable(text));
    for (const char* caption : {"Haar 1D", "DCT 2D", "D4 2D", "Haar 2D"}) {
        QVERIFY2(text.contains(QStringLiteral("page \"%1\" at 512 x 512").arg(caption)), caption);
    }
    QVERIFY(!text.contains(QStringLiteral("\"DCT 1D\"")));
}

QTEST_MAIN(ConversionQueueTest)
#include "ConversionQueueTest.moc"
