#include "WindowDriver.h"

#include "BitmapFile.h"
#include "ColorScale.h"
#include "ConversionResult.h"
#include "FittedImageView.h"
#include "Quality.h"
#include "TileMapView.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
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
                                   "DCT scaling", "Levels", "Rule"}));
    QCOMPARE(table->model()->rowCount(), 6);
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
        csvRows << caption;
    }
    // Pages not converted keep an empty row.
    QCOMPARE(Cell(table, RowOf(table, "DCT 1D"), 1), QString());

    // The CSV holds the converted rows with exact figures.
    const QString csvPath = dir.filePath(QStringLiteral("table.csv"));
    d.dialogs->saveAnswers.push_back(csvPath);
    d.Find<QToolButton>(QStringLiteral("CompareExportButton"))->click();
    QFile csv(csvPath);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(csv.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0],
             QStringLiteral("Page,Side,Tile,Error %,Color correction,Kept %,MSE,"
                            "PSNR (dB),SSIM,Max error,Time (ms),DCT scaling,Levels,Rule"));
    for (int i = 0; i < 2; ++i) {
        const PageRun& run = runs[i];
        const QStringList fields = lines[i + 1].split(',');
        QCOMPARE(fields.size(), 14);
        QCOMPARE(fields.mid(11), QStringList({"plain", "page", "error"}));
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

    // Ctrl+C copies the selected rows as shown, tab-separated.
    table->selectRow(0);
    table->setFocus();
    QTest::keySequence(table, QKeySequence::Copy);
    QStringList cells;
    for (int column = 0; column < 14; ++column) {
        cells << Cell(table, 0, column);
    }
    QCOMPARE(QGuiApplication::clipboard()->text(), cells.join('\t') + '\n');
}

void CompareTest::errorsTabFollowsTheActivePage() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_200x150.bmp"));
    auto* title = d.Find<QLabel>(QStringLiteral("ErrorsTitle"));
    auto* difference = d.Find<FittedImageView>(QStringLiteral("ErrorsDifferenceImage"));
    auto* tiles = d.Find<TileMapView>(QStringLiteral("ErrorsTileMap"));
    auto* scale = d.Find<ColorScale>(QStringLiteral("ErrorsDifferenceScale"));
    d.SelectPage(3);
    QCOMPARE(title->text(), QStringLiteral("No conversion on page \"DCT 2D\" yet."));
    QVERIFY(difference->Picture().isNull());

    d.window.CurrentPage->ErrorTrackBar->setValue(30);
    d.window.CurrentPage->WinSizeTrackBar->setValue(3);
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    QVERIFY(title->text().startsWith(QStringLiteral("DCT 2D: 200 x 150 px, tiles of 64 px")));
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
    // Four tiles of 64 per side; those wholly below or right of the image are hatched.
    QCOMPARE(tiles->Count(), 4);
    QVERIFY(tiles->Colors()[0].isValid());
    QVERIFY(!tiles->Colors()[3 * 4 + 0].isValid()); // column 0, rows from 192: below the image
    QVERIFY(tiles->Colors()[3].isValid());          // columns 192..199 reach into it
    QVERIFY(!tiles->Colors()[3 * 4 + 3].isValid());

    d.SelectPage(0);
    QCOMPARE(title->text(), QStringLiteral("No conversion on page \"DCT 1D\" yet."));
    d.SelectPage(3);
    QVERIFY(title->text().startsWith(QStringLiteral("DCT 2D")));
}

QTEST_MAIN(CompareTest)
#include "CompareTest.moc"
