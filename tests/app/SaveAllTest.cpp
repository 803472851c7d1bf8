#include "WindowDriver.h"

#include "BitmapFile.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>

namespace {

QAction* Action(WindowDriver& d, const char* name) {
    return d.Find<QAction>(QString::fromLatin1(name));
}

void ConvertAll(WindowDriver& d, int error) {
    for (auto& page : d.window.Pages) {
        page.ErrorTrackBar->setValue(error);
    }
    Action(d, "ConvertAllAction")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
}

// tarvish-batch's result names for stem at one tile and error percent, in page order.
QStringList BatchNames(const QString& stem, int error) {
    QStringList names;
    for (const char* transform : {"DCT1D", "D41D", "Haar1D", "DCT2D", "D42D", "Haar2D"}) {
        names << QStringLiteral("%1_%2_1tiles_%3pct.bmp").arg(stem).arg(transform).arg(error);
    }
    return names;
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        qFatal("cannot write %s", qPrintable(path));
    }
}

} // namespace

// File > Save all unsaved pages, and the names every save dialog offers: tarvish-batch's.
class SaveAllTest : public QObject {
    Q_OBJECT

private slots:
    void savesEveryPageInOneFolderUnderBatchNames();
    void asksBeforeOverwriting();
    void saveDialogsSuggestBatchNames();
};

void SaveAllTest::savesEveryPageInOneFolderUnderBatchNames() {
    const QString image = Corpus("natural/chelsea_200x150.bmp");
    QTemporaryDir dir, batchDir;
    WindowDriver d;
    d.Open(image);
    ConvertAll(d, 10);

    // tarvish-batch --images writes the same conversions under its names.
    const QString command =
        QStringLiteral("'%1' --side 256 --tiles 1 --errors 10 --no-header --images '%2' "
                       "--output '%3' '%4'")
            .arg(QStringLiteral(TARVISH_BATCH), batchDir.path(),
                 batchDir.filePath(QStringLiteral("rows.csv")), image);
    QCOMPARE(std::system(command.toLocal8Bit().constData()), 0);
    QStringList batchNames = QDir(batchDir.path()).entryList({QStringLiteral("*.bmp")});
    QStringList names = BatchNames(QStringLiteral("chelsea_200x150"), 10);
    QStringList sorted = names;
    std::sort(sorted.begin(), sorted.end());
    std::sort(batchNames.begin(), batchNames.end());
    QCOMPARE(batchNames, sorted);

    d.dialogs->directoryAnswers = {dir.path()};
    d.dialogs->questionAnswers = {Dialogs::Answer::Yes};
    Action(d, "SaveAllAction")->trigger();
    QCOMPARE(d.dialogs->directoryTitles, QStringList({"Save all unsaved pages"}));
    QVERIFY(d.dialogs->saveTitles.isEmpty());
    QCOMPARE(d.dialogs->questions.size(), std::size_t(1));
    QCOMPARE(d.dialogs->questions[0].title, QStringLiteral("Save all unsaved pages"));
    QCOMPARE(d.dialogs->questions[0].text, dir.path() + ": " + names.join(", "));
    QVERIFY(d.dialogs->messages.empty());
    for (int i = 0; i < 6; ++i) {
        const QImage saved = LoadBitmap(QDir(dir.path()).filePath(names[i]));
        QVERIFY2(saved == d.window.Pages[i].Image->Picture(), qPrintable(names[i]));
        // Pixel for pixel what tarvish-batch wrote.
        QVERIFY2(saved == LoadBitmap(QDir(batchDir.path()).filePath(names[i])),
                 qPrintable(names[i]));
        QVERIFY(!d.window.Pages[i].Unsaved);
    }
    QVERIFY(!Action(d, "SaveAllAction")->isEnabled());
}

void SaveAllTest::asksBeforeOverwriting() {
    QTemporaryDir dir;
    const QDir folder(dir.path());
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    ConvertAll(d, 5);
    const QStringList names = BatchNames(QStringLiteral("chelsea_256x256"), 5);
    const auto written = [&] {
        int count = 0;
        for (const QString& name : names) {
            count += QFile::exists(folder.filePath(name)) ? 1 : 0;
        }
        return count;
    };

    // The folder dialog cancelled, or No to the names: nothing is asked or written.
    Action(d, "SaveAllAction")->trigger();
    QVERIFY(d.dialogs->questions.empty());
    d.dialogs->directoryAnswers = {dir.path()};
    d.dialogs->questionAnswers = {Dialogs::Answer::No};
    Action(d, "SaveAllAction")->trigger();
    QCOMPARE(d.dialogs->questions.size(), std::size_t(1));
    QCOMPARE(written(), 0);

    // Pages 1 and 4 have files there already: one question names both; Cancel writes nothing.
    const QByteArray old("old");
    Write(folder.filePath(names[1]), old);
    Write(folder.filePath(names[4]), old);
    d.dialogs->questions.clear();
    d.dialogs->directoryAnswers = {dir.path()};
    d.dialogs->questionAnswers = {Dialogs::Answer::Yes, Dialogs::Answer::Cancel};
    Action(d, "SaveAllAction")->trigger();
    QCOMPARE(d.dialogs->questions.size(), std::size_t(2));
    const QString existing = QStringLiteral("Already in %1: %2, %3. Overwrite them? No saves the "
                                            "other pages only.")
                                 .arg(dir.path(), names[1], names[4]);
    QCOMPARE(d.dialogs->questions[1].text, existing);
    QCOMPARE(written(), 2);
    for (const auto& page : d.window.Pages) {
        QVERIFY(page.Unsaved);
    }

    // No skips them: the others are saved, those two files and pages are left as they were.
    d.dialogs->directoryAnswers = {dir.path()};
    d.dialogs->questionAnswers = {Dialogs::Answer::Yes, Dialogs::Answer::No};
    Action(d, "SaveAllAction")->trigger();
    QCOMPARE(written(), 6);
    for (int i = 0; i < 6; ++i) {
        const bool skipped = i == 1 || i == 4;
        QCOMPARE(d.window.Pages[i].Unsaved, skipped);
        if (skipped) {
            QCOMPARE(Contents(folder.filePath(names[i])), old);
        } else {
            QCOMPARE(LoadBitmap(folder.filePath(names[i])), d.window.Pages[i].Image->Picture());
        }
    }

    // Yes overwrites; only the two pages still unsaved are offered.
    d.dialogs->questions.clear();
    d.dialogs->directoryAnswers = {dir.path()};
    d.dialogs->questionAnswers = {Dialogs::Answer::Yes, Dialogs::Answer::Yes};
    Action(d, "SaveAllAction")->trigger();
    QCOMPARE(d.dialogs->questions.size(), std::size_t(2));
    QCOMPARE(d.dialogs->questions[0].text, dir.path() + ": " + names[1] + ", " + names[4]);
    QCOMPARE(d.dialogs->questions[1].text, existing);
    for (const int i : {1, 4}) {
        QCOMPARE(LoadBitmap(folder.filePath(names[i])), d.window.Pages[i].Image->Picture());
        QVERIFY(!d.window.Pages[i].Unsaved);
    }
    QVERIFY(d.dialogs->messages.empty());
}

void SaveAllTest::saveDialogsSuggestBatchNames() {
    QTemporaryDir dir;
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    // Page 4 (D4 2D): 4 tiles, error 5.
    TransformPage& d42d = d.window.Pages[4];
    d42d.ErrorTrackBar->setValue(5);
    d42d.WinSizeTrackBar->setValue(3);
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    // The suggestion is in the current folder before anything was saved.
    d.dialogs->saveAnswers.push_back(dir.filePath(QStringLiteral("mine")));
    d.dialogs->saveFilterAnswers.push_back(QStringLiteral("PNG files (*.png)"));
    d.Button("SaveButton")->click();
    QCOMPARE(d.dialogs->saveDirectories.size(), 1);
    QCOMPARE(d.dialogs->saveDirectories[0],
             QDir(QDir::currentPath()).filePath("chelsea_256x256_D42D_4tiles_5pct.bmp"));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("mine.png"))));

    // The close prompt's save: in the folder last saved to, in the format last chosen, with the
    // options the page's result was made with.
    d.Find<QAction>(QStringLiteral("LikeForLikeAction"))->trigger();
    d.SelectPage(0);
    d.window.Pages[0].ErrorTrackBar->setValue(20);
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    d.window.show();
    d.dialogs->questionAnswers = {Dialogs::Answer::Yes};
    d.dialogs->saveAnswers.push_back(dir.filePath(QStringLiteral("dct.png")));
    QVERIFY(d.window.close());
    QCOMPARE(d.dialogs->saveDirectories.size(), 2);
    QCOMPARE(
        d.dialogs->saveDirectories[1],
        dir.filePath(QStringLiteral("chelsea_256x256_DCT1D_1tiles_20pct_orthonormal_all.png")));
}

QTEST_MAIN(SaveAllTest)
#include "SaveAllTest.moc"
