#include "WindowDriver.h"

#include "BitmapFile.h"
#include "ColorScale.h"
#include "CompareTab.h"
#include "ConversionResult.h"
#include "FileListBox.h"
#include "Quality.h"
#include "ZoomImageView.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QStyleOptionHeader>
#include <QTableView>
#include <QTemporaryDir>

#include <cmath>

namespace {

// The figures of a result measured on the files alone: the saved result against the loaded
// image, over the square that was converted.
QualityFigures Measure(const QImage& loaded, const QImage& saved, int side) {
    const int width = std::min(side, loaded.width());
    const int height = std::min(side, loaded.height());
    const auto view = [&](const QImage& image) {
        return RgbView{reinterpret_cast<const std::uint32_t*>(image.constBits()), image.width(),
                       image.height(), image.bytesPerLine() / 4}
            .Region(0, 0, width, height);
    };
    return MeasureQuality(view(loaded), view(saved));
}

QString Cell(QTableView* table, int row, int column) {
    return table->model()->index(row, column).data().toString();
}

// The row that shows the page with the given caption.
int RowOf(QTableView* table, const QString& caption) {
    for (int row = 0; row < table->model()->rowCount(); ++row) {
        if (Cell(table, row, 0) == caption) {
            return row;
        }
    }
    return -1;
}

struct PageRun {
    int page;
    int error;
    int grid;
    bool correct;
};

} // namespace

class CompareTest : public QObject {
    Q_OBJECT

private slots:
    void figuresReachTheLabelTheTableAndTheCsv();
    void errorsTabFollowsTheActivePage();
    void resultsOfAnotherImageAreMarked();
    void resultKeepsTheImageItsConversionStartedWith();
    void sortArrowLeavesEveryHeaderRoom();
};

void CompareTest::figuresReachTheLabelTheTableAndTheCsv() {
    WindowDriver d;
    QTemporaryDir dir;
    const QString original = Corpus("natural/coffee_400x300.bmp");
    d.Open(original);
    const QImage loaded = LoadBitmap(original);
    auto* table = d.Find<QTableView>(QStringLiteral("CompareTable"));
    QStringList headers;
    for (int c = 0; c < table->model()->columnCount(); ++c) {
        headers << table->model()->headerData(c, Qt::Horizontal).toString();
    }
    QCOMPARE(headers, QStringList({"Page", "Side", "Tile", "Error %", "Color correction", "Kept %",
                                   "MSE", "PSNR (dB)", "SSIM", "Max error", "Time (ms)",
                                   "DCT scaling", "Levels", "Rule", "Image"}));
    QCOMPARE(table->model()->rowCount(), 6);
    // Nothing to export until a page has converted.
    auto* exportButton = d.Find<QToolButton>(QStringLiteral("CompareExportButton"));
    QVERIFY(!exportButton->isEnabled());
    for (const char* prefix : {"Fourier", "Daub", "Haar", "Fourier2D", "Daub2D", "Haar2D"}) {
        QCOMPARE(d.Find<QLabel>(QString::fromLatin1(prefix) + "QualityLabel")->text(), QString());
    }

    const PageRun runs[] = {{1, 7, 3, false}, {5, 20, 4, true}};
    for (const PageRun& run : runs) {
        d.SelectPage(run.page);
        TransformPage& page = *d.window.CurrentPage;
        page.ErrorTrackBar->setValue(run.error);
        page.WinSizeTrackBar->setValue(run.grid);
        page.ColorCorrection->setChecked(run.correct);
        d.Button("ConvertButton")->click();
        QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
        // Controls moved after the conversion do not change its row.
        page.ErrorTrackBar->setValue(99);
    }

    QStringList csvRows;
    for (const PageRun& run : runs) {
        TransformPage& page = d.window.Pages[run.page];
        d.SelectPage(run.page);
        const QString path = dir.filePath(QStringLiteral("page%1.bmp").arg(run.page));
        d.dialogs->saveAnswers.push_back(path);
        d.Button("SaveButton")->click();
        const QualityFigures f = Measure(loaded, LoadBitmap(path), 256);
        QVERIFY(f.Mse > 0);

        const QString psnr = QString::number(f.PsnrDb, 'f', 2);
        const QString ssim = QString::number(*f.Ssim, 'f', 3);
        QCOMPARE(
            page.QualityLabel->text(),
            QStringLiteral("PSNR %1 dB   SSIM %2   max error %3").arg(psnr, ssim).arg(f.MaxError));

        const QString caption = d.Find<QTabWidget>("TransformPageControl")->tabText(run.page);
        const int row = RowOf(table, caption);
        QVERIFY(row >= 0);
        const QString kept = page.CompressLabel->text().mid(7).chopped(2);
        const QStringList expected = {caption,
                                      "256",
                                      QString::number(256 >> (run.grid - 1)),
                                      QString::number(run.error),
                                      run.correct ? "yes" : "no",
                                      kept,
                                      QString::number(f.Mse, 'f', 3),
                                      psnr,
                                      QString::number(*f.Ssim, 'f', 4),
                                      QString::number(f.MaxError)};
        for (int column = 0; column < expected.size(); ++column) {
            QCOMPARE(Cell(table, row, column), expected[column]);
        }
        QVERIFY(Cell(table, row, 10).toDouble() >= 0.0);
        QCOMPARE(Cell(table, row, 11), QStringLiteral("Plain"));
        QCOMPARE(Cell(table, row, 12), QStringLiteral("As page"));
        QCOMPARE(Cell(table, row, 13), QStringLiteral("Error"));
        QCOMPARE(Cell(table, row, 14), QStringLiteral("coffee_400x300.bmp"));
        QCOMPARE(table->model()->index(row, 14).data(Qt::ToolTipRole).toString(), original);
        csvRows << caption;
    }
    // Pages not converted keep an empty row.
    QCOMPARE(Cell(table, RowOf(table, "DCT 1D"), 1), QString());

    // The CSV holds the converted rows with exact figures.
    const QString csvPath = dir.filePath(QStringLiteral("table.csv"));
    d.dialogs->saveAnswers.push_back(csvPath);
    QVERIFY(exportButton->isEnabled());
    exportButton->click();
    QFile csv(csvPath);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(csv.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0],
             QStringLiteral("Page,Side,Tile,Error %,Color correction,Kept %,MSE,"
                            "PSNR (dB),SSIM,Max error,Time (ms),DCT scaling,Levels,Rule,Image"));
    for (int i = 0; i < 2; ++i) {
        const PageRun& run = runs[i];
        const QStringList fields = lines[i + 1].split(',');
        QCOMPARE(fields.size(), 15);
        QCOMPARE(fields.mid(11), QStringList({"plain", "page", "error", original}));
        QCOMPARE(fields[0], csvRows[i]);
        // The percent as set, not rebuilt from the fraction (7 % would read 7.000000000000001).
        QCOMPARE(fields[3], QString::number(run.error));
        const QualityFigures f = Measure(
            loaded, LoadBitmap(dir.filePath(QStringLiteral("page%1.bmp").arg(run.page))), 256);
        QCOMPARE(fields[6].toDouble(), f.Mse);
        QCOMPARE(fields[7].toDouble(), f.PsnrDb);
        QCOMPARE(fields[8].toDouble(), *f.Ssim);
        QCOMPARE(fields[9].toInt(), f.MaxError);
        QCOMPARE(QString::asprintf("%.2f", fields[5].toDouble()),
                 d.window.Pages[run.page].CompressLabel->text().mid(7).chopped(2));
    }

    // Sorting by PSNR puts the closer result first when descending; empty rows stay last.
    table->sortByColumn(7, Qt::DescendingOrder);
    const double first = Cell(table, 0, 7).toDouble();
    const double second = Cell(table, 1, 7).toDouble();
    QVERIFY(first >= second);
    for (int row = 2; row < 6; ++row) {
        QCOMPARE(Cell(table, row, 7), QString());
    }

    // Ctrl+C copies the header line and the selected rows as shown, tab-separated.
    table->selectRow(0);
    table->setFocus();
    QTest::keySequence(table, QKeySequence::Copy);
    QStringList cells;
    for (int column = 0; column < 15; ++column) {
        cells << Cell(table, 0, column);
    }
    QCOMPARE(QGuiApplication::clipboard()->text(),
             headers.join('\t') + '\n' + cells.join('\t') + '\n');
}

void CompareTest::errorsTabFollowsTheActivePage() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_200x150.bmp"));
    auto* title = d.Find<QLabel>(QStringLiteral("ErrorsTitle"));
    auto* difference = d.Find<ZoomImageView>(QStringLiteral("ErrorsDifferenceImage"));
    auto* tiles = d.Find<ZoomImageView>(QStringLiteral("ErrorsTileMap"));
    auto* scale = d.Find<ColorScale>(QStringLiteral("ErrorsDifferenceScale"));
    d.SelectPage(3);
    QCOMPARE(title->text(), QStringLiteral("No conversion on page \"DCT 2D\" yet."));
    QVERIFY(difference->Picture().isNull());

    d.window.CurrentPage->ErrorTrackBar->setValue(30);
    d.window.CurrentPage->WinSizeTrackBar->setValue(3);
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    QVERIFY2(title->text().startsWith(
                 QStringLiteral("DCT 2D of chelsea_200x150.bmp: 200 x 150 px, tiles of 64 px")),
             qPrintable(title->text()));
    QCOMPARE(title->toolTip(), Corpus("natural/chelsea_200x150.bmp"));
    // The largest error is white, and the scale names it.
    const QImage picture = difference->Picture();
    QCOMPARE(picture.size(), QSize(200, 150));
    const int largest = d.window.Pages[3].LastResult->Quality.MaxError;
    QVERIFY(largest > 0);
    QCOMPARE(scale->TopText(), QString::number(largest));
    int brightest = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            brightest = std::max(brightest, qGray(picture.pixel(x, y)));
        }
    }
    QCOMPARE(brightest, 255);
    // Four tiles of 64 per side, a picture pixel each; those wholly below or right of the image
    // have no colour (transparent: hatched).
    const QImage map = tiles->Picture();
    QCOMPARE(map.size(), QSize(4, 4));
    QCOMPARE(tiles->PixelSide(), 64);
    QVERIFY(qAlpha(map.pixel(0, 0)) == 255);
    QVERIFY(qAlpha(map.pixel(0, 3)) == 0);   // column 0, rows from 192: below the image
    QVERIFY(qAlpha(map.pixel(3, 0)) == 255); // columns 192..199 reach into it
    QVERIFY(qAlpha(map.pixel(3, 3)) == 0);

    d.SelectPage(0);
    QCOMPARE(title->text(), QStringLiteral("No conversion on page \"DCT 1D\" yet."));
    d.SelectPage(3);
    QVERIFY(title->text().startsWith(QStringLiteral("DCT 2D")));
}

namespace {

const char* const Captions[] = {"DCT 1D", "D4 1D", "Haar 1D", "DCT 2D", "D4 2D", "Haar 2D"};

// Whether every cell of the page's row is in the disabled text colour, or none is coloured.
enum class Shade { Grey, Plain, Mixed };
Shade ShadeOf(QTableView* table, const CompareTab& compare, int page) {
    const QColor grey = compare.palette().color(QPalette::Disabled, QPalette::Text);
    const int row = RowOf(table, QString::fromLatin1(Captions[page]));
    int greyed = 0;
    int plain = 0;
    const int columns = table->model()->columnCount();
    for (int column = 0; column < columns; ++column) {
        const QVariant color = table->model()->index(row, column).data(Qt::ForegroundRole);
        greyed += color.isValid() && color.value<QBrush>().color() == grey ? 1 : 0;
        plain += color.isValid() ? 0 : 1;
    }
    return greyed == columns ? Shade::Grey : plain == columns ? Shade::Plain : Shade::Mixed;
}

void Convert(WindowDriver& d, int page) {
    d.SelectPage(page);
    d.window.CurrentPage->ErrorTrackBar->setValue(10);
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
}

// The Image field of each converted row of the exported CSV.
QStringList CsvImages(WindowDriver& d, const QString& path) {
    d.dialogs->saveAnswers.push_back(path);
    d.Find<QToolButton>(QStringLiteral("CompareExportButton"))->click();
    QFile csv(path);
    if (!csv.open(QIODevice::ReadOnly)) {
        return {QStringLiteral("no file")};
    }
    QStringList images;
    const QStringList lines = QString::fromUtf8(csv.readAll()).split('\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        images << line.split(',').last();
    }
    return images;
}

} // namespace

void CompareTest::resultsOfAnotherImageAreMarked() {
    WindowDriver d;
    QTemporaryDir dir;
    const QString first = Corpus("natural/coffee_400x300.bmp");
    const QString second = Corpus("natural/chelsea_200x150.bmp");
    auto* compare = d.Find<CompareTab>(QStringLiteral("CompareTab"));
    auto* table = d.Find<QTableView>(QStringLiteral("CompareTable"));
    auto* title = d.Find<QLabel>(QStringLiteral("ErrorsTitle"));
    const auto cell = [&](int page, int column) {
        return table->model()->index(RowOf(table, QString::fromLatin1(Captions[page])), column);
    };
    const auto coverage = [&](int page) { return d.window.Pages[page].CoverageLabel->text(); };
    d.Open(first);
    Convert(d, 3);
    Convert(d, 5);
    for (int page : {0, 3, 5}) {
        QCOMPARE(ShadeOf(table, *compare, page), Shade::Plain);
        QVERIFY(!compare->OfOtherImage(page));
        QVERIFY2(!coverage(page).contains(QStringLiteral("result")), qPrintable(coverage(page)));
    }
    QVERIFY(title->text().startsWith(QStringLiteral("Haar 2D of coffee_400x300.bmp: ")));

    // Another image: the results stay, each row greyed and naming the image it is of.
    d.Open(second);
    for (int page : {3, 5}) {
        QCOMPARE(ShadeOf(table, *compare, page), Shade::Grey);
        QVERIFY(compare->OfOtherImage(page));
        QCOMPARE(cell(page, 14).data().toString(), QStringLiteral("coffee_400x300.bmp"));
        QCOMPARE(cell(page, 14).data(Qt::ToolTipRole).toString(), first);
        QVERIFY(cell(page, 0).data(Qt::ToolTipRole).toString().contains("not the loaded image"));
        // The page still shows that result, and its line says whose it is.
        QCOMPARE(coverage(page),
                 QStringLiteral("Shows the result of coffee_400x300.bmp; converts 256 x 256 of "
                                "200 x 150 px, tiles of 256 px"));
    }
    QCOMPARE(ShadeOf(table, *compare, 0), Shade::Plain);
    QCOMPARE(coverage(0), QStringLiteral("Converts 256 x 256 of 200 x 150 px, tiles of 256 px"));
    QVERIFY2(title->text().startsWith(
                 QStringLiteral("Haar 2D of coffee_400x300.bmp (not the loaded image): ")),
             qPrintable(title->text()));
    QCOMPARE(CsvImages(d, dir.filePath(QStringLiteral("before.csv"))),
             QStringList({"Image", first, first}));

    // Converted again, a page's row is of the loaded image; the other stays marked.
    Convert(d, 3);
    QCOMPARE(ShadeOf(table, *compare, 3), Shade::Plain);
    QVERIFY(!compare->OfOtherImage(3));
    QCOMPARE(cell(3, 14).data().toString(), QStringLiteral("chelsea_200x150.bmp"));
    QCOMPARE(cell(3, 14).data(Qt::ToolTipRole).toString(), second);
    QVERIFY(!cell(3, 0).data(Qt::ToolTipRole).toString().contains("not the loaded image"));
    QCOMPARE(coverage(3), QStringLiteral("Converts 256 x 256 of 200 x 150 px, tiles of 256 px"));
    QVERIFY(title->text().startsWith(QStringLiteral("DCT 2D of chelsea_200x150.bmp: ")));
    QCOMPARE(ShadeOf(table, *compare, 5), Shade::Grey);
    QCOMPARE(CsvImages(d, dir.filePath(QStringLiteral("after.csv"))),
             QStringList({"Image", second, first}));

    // Saved, page 5 shows the loaded image again at its next grid change: its line no longer
    // names the other image, its row still does. The save's name is not the loaded image's.
    d.SelectPage(5);
    d.dialogs->saveAnswers.push_back(dir.filePath(QStringLiteral("haar.bmp")));
    d.Button("SaveButton")->click();
    QVERIFY(!d.window.Pages[5].Unsaved);
    QVERIFY(coverage(5).startsWith(QStringLiteral("Shows the result of coffee_400x300.bmp; ")));
    d.window.CurrentPage->WinSizeTrackBar->setValue(2);
    QCOMPARE(d.window.Pages[5].Image->Picture(), d.OriginalImage()->Picture());
    QCOMPARE(coverage(5), QStringLiteral("Converts 256 x 256 of 200 x 150 px, tiles of 128 px"));
    QCOMPARE(ShadeOf(table, *compare, 5), Shade::Grey);
    QCOMPARE(ShadeOf(table, *compare, 3), Shade::Plain);
    QVERIFY(title->text().startsWith(QStringLiteral("Haar 2D of coffee_400x300.bmp (not the ")));
}

void CompareTest::resultKeepsTheImageItsConversionStartedWith() {
    BlockingTransform blocking;
    WindowDriver d;
    const QString first = Corpus("natural/coffee_400x300.bmp");
    d.Open(first);
    d.window.Pages[0].Transform = &blocking;
    d.SelectPage(0);
    d.Button("ConvertButton")->click();
    QTRY_VERIFY(blocking.Started());

    // Open waits for the conversions, the browser does not: another image while page 0 runs.
    auto* list = d.Find<FileListBox>(QStringLiteral("QuickViewFileListBox"));
    list->SetDirectory(Corpus("natural"));
    const auto items = list->findItems(QStringLiteral("chelsea_200x150.bmp"), Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    list->scrollToItem(items[0]);
    const QPoint at = list->visualItemRect(items[0]).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    const QString loaded = d.window.LoadedFileName;
    // Released before any check, or a failure would wait for the conversion for ever.
    blocking.Release();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    QCOMPARE(loaded, QDir(Corpus("natural")).absoluteFilePath("chelsea_200x150.bmp"));

    const TransformPage& page = d.window.Pages[0];
    QVERIFY(page.LastResult);
    QCOMPARE(page.ResultImagePath, first);
    auto* compare = d.Find<CompareTab>(QStringLiteral("CompareTab"));
    auto* table = d.Find<QTableView>(QStringLiteral("CompareTable"));
    QVERIFY(compare->OfOtherImage(0));
    QCOMPARE(ShadeOf(table, *compare, 0), Shade::Grey);
    QCOMPARE(Cell(table, RowOf(table, "DCT 1D"), 14), QStringLiteral("coffee_400x300.bmp"));
    QVERIFY2(page.CoverageLabel->text().startsWith(
                 QStringLiteral("Shows the result of coffee_400x300.bmp; converts ")),
             qPrintable(page.CoverageLabel->text()));
}

void CompareTest::sortArrowLeavesEveryHeaderRoom() {
    WindowDriver d;
    d.Open(Corpus("natural/coffee_400x300.bmp"));
    Convert(d, 3);
    auto* table = d.Find<QTableView>(QStringLiteral("CompareTable"));
    QHeaderView* header = table->horizontalHeader();
    QVERIFY(header->isSortIndicatorShown());
    const QFontMetrics metrics = header->fontMetrics();
    for (int column = 0; column < header->count(); ++column) {
        // The section as the style lays it out with the arrow in it.
        QStyleOptionHeader option;
        option.initFrom(header);
        option.state |= QStyle::State_Horizontal;
        option.orientation = Qt::Horizontal;
        option.rect = QRect(0, 0, header->sectionSize(column), header->height());
        option.sortIndicator = QStyleOptionHeader::SortDown;
        const QRect label =
            header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header);
        const QRect arrow =
            header->style()->subElementRect(QStyle::SE_HeaderArrow, &option, header);
        const QString text = table->model()->headerData(column, Qt::Horizontal).toString();
        int widest = 0;
        for (const QString& word : text.split(' ')) {
            widest = std::max(widest, metrics.horizontalAdvance(word));
        }
        QVERIFY2(widest <= label.width() && !label.intersects(arrow),
                 qPrintable(QStringLiteral("%1: words up to %2 px, label %3 px wide")
                                .arg(text)
                                .arg(widest)
                                .arg(label.width())));
        // Two lines of wrapped words fit under the header's height.
        QVERIFY2(2 * metrics.height() <= label.height(), qPrintable(text));
    }
}

QTEST_MAIN(CompareTest)
#include "CompareTest.moc"
