#include "WindowDriver.h"

#include "BestPerTile.h"
#include "BestTileTab.h"
#include "BitmapFile.h"
#include "ConvertImage.h"
#include "ResultRow.h"
#include "TileMapView.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdlib>

// The Best per tile tab in the window: it converts off the GUI thread at the active page's
// setting, shows the winners, the composed image and the figures, adds a Compare row, saves,
// and never touches a page.
class BestTileTest : public QObject {
    Q_OBJECT

private slots:
    void comparesTilesAtThePagesSetting();
    void stopsAndOffersLikeForLike();
};

void BestTileTest::comparesTilesAtThePagesSetting() {
    WindowDriver d;
    const QString path = Corpus("natural/coffee_400x300.bmp");
    d.Open(path);
    d.Find<QAction>(QStringLiteral("LikeForLikeAction"))->trigger();
    TransformPage& page = *d.window.CurrentPage;
    page.ErrorTrackBar->setValue(5);
    page.WinSizeTrackBar->setValue(4); // 8 tiles of 32 px over 256 px
    const QImage pageBefore = page.Image->Picture();

    auto* tab = d.Find<BestTileTab>(QStringLiteral("BestTileTab"));
    d.Find<QAbstractButton>(QStringLiteral("BestTileButton"))->click();
    QVERIFY(tab->Running());
    QTRY_VERIFY_WITH_TIMEOUT(!tab->Running(), 120000);
    QVERIFY(tab->Result());
    QCOMPARE(page.Image->Picture(), pageBefore);
    QVERIFY(!page.Unsaved);

    // The same six conversions made here give the same winners and figures, to the bit.
    const QImage loaded = LoadBitmap(path).convertToFormat(QImage::Format_RGB32);
    const RgbView view{reinterpret_cast<const std::uint32_t*>(loaded.constBits()), loaded.width(),
                       loaded.height(), loaded.bytesPerLine() / 4};
    ConversionSettings s;
    s.Side = 256;
    s.TileCount = 8;
    s.SetErrorPercent(5);
    s.Options = {DctScaling::Orthonormal, AllWaveletLevels, KeepRule::Error};
    std::vector<ConversionResult> six;
    for (const TransformKindInfo& kind : TransformKinds()) {
        six.push_back(ConvertImage(view, kind.Kind, s, 1));
    }
    const std::vector<std::size_t> winners = TileWinners(six);
    const ConversionResult expected = ComposeBestPerTile(six, winners, view);
    QCOMPARE(tab->Result()->Pixels, expected.Pixels);
    QCOMPARE(tab->Result()->MeanKeptPercent, expected.MeanKeptPercent);
    QCOMPARE(tab->Result()->Quality.Mse, expected.Quality.Mse);

    // tarvish-batch gives the same figures for the same setting, to the bit.
    QTemporaryDir rowsDir;
    const QString rowsPath = rowsDir.filePath(QStringLiteral("rows.csv"));
    const QString command =
        QStringLiteral("'%1' --best-per-tile --side 256 --tiles 8 --errors 5 --dct-scaling "
                       "orthonormal --levels all --no-header --output '%2' '%3'")
            .arg(QStringLiteral(TARVISH_BATCH), rowsPath, path);
    QCOMPARE(std::system(command.toLocal8Bit().constData()), 0);
    QFile rows(rowsPath);
    QVERIFY(rows.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(rows.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 7);
    const QStringList f = lines.last().split(',');
    QCOMPARE(f[3], QStringLiteral("Best per tile"));
    const auto exact = [](double v) { return QString::fromStdString(ResultRow::Number(v)); };
    QCOMPARE(f[11], exact(tab->Result()->MeanKeptPercent));
    QCOMPARE(f[12], exact(tab->Result()->Quality.Mse));
    QCOMPARE(f[14], exact(*tab->Result()->Quality.Ssim));
    QCOMPARE(f[15], QString::number(tab->Result()->Quality.MaxError));

    // The map has a tile per tile, coloured by winner, and the legend counts them.
    auto* map = d.Find<TileMapView>(QStringLiteral("BestTileMap"));
    QCOMPARE(map->Count(), 8);
    for (std::size_t t = 0; t < winners.size(); ++t) {
        QCOMPARE(
            map->Colors()[t],
            map->Colors()[std::find(winners.begin(), winners.end(), winners[t]) - winners.begin()]);
    }
    const QString legend = d.Find<QLabel>(QStringLiteral("BestTileLegend"))->text();
    const auto d42d = std::count(winners.begin(), winners.end(), std::size_t(4));
    QVERIFY2(legend.contains(QStringLiteral("D4 2D: %1 of 64 tiles").arg(d42d)),
             qPrintable(legend));
    QVERIFY(d.Find<QLabel>(QStringLiteral("BestTileFigures"))
                ->text()
                .startsWith(QStringLiteral("Best per tile: Comp : ")));

    // The Compare table gains the row, after the six pages.
    auto* table = d.Find<QTableView>(QStringLiteral("CompareTable"));
    QCOMPARE(table->model()->rowCount(), 7);
    QCOMPARE(table->model()->index(6, 0).data().toString(), QStringLiteral("Best per tile"));
    QVERIFY(table->model()->index(6, 5).data(Qt::ToolTipRole).toString().contains("2.6 bits"));

    // Saved, it is the image with the converted square replaced.
    QTemporaryDir dir;
    const QString saved = dir.filePath(QStringLiteral("best.bmp"));
    d.dialogs->saveAnswers.push_back(saved);
    d.Find<QAbstractButton>(QStringLiteral("BestTileSaveButton"))->click();
    // The dialog offered tarvish-batch's name for the result.
    QVERIFY2(d.dialogs->saveDirectories.last().endsWith(
                 QStringLiteral("/coffee_400x300_BestPerTile_8tiles_5pct_orthonormal_all.bmp")),
             qPrintable(d.dialogs->saveDirectories.last()));
    const QImage written = LoadBitmap(saved).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(written.size(), loaded.size());
    for (int y : {0, 100, 255, 299}) {
        for (int x : {0, 200, 255, 256, 399}) {
            const QRgb want =
                x < 256 && y < 256 ? expected.Pixels[std::size_t(y) * 256 + x] : loaded.pixel(x, y);
            QCOMPARE(written.pixel(x, y) | 0xFF000000u, want | 0xFF000000u);
        }
    }
}

void BestTileTest::stopsAndOffersLikeForLike() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    auto* tab = d.Find<BestTileTab>(QStringLiteral("BestTileTab"));
    auto* like = d.Find<QAbstractButton>(QStringLiteral("BestTileLikeForLikeButton"));
    d.window.CurrentPage->Image->SetControlSize(1024, 1024);
    d.Find<QAbstractButton>(QStringLiteral("BestTileButton"))->click();
    QVERIFY(tab->Running());
    // The defaults are not like for like: the tab says so and offers it.
    QVERIFY(d.Find<QLabel>(QStringLiteral("BestTileOptions"))
                ->text()
                .startsWith(QStringLiteral("Not like for like")));
    QVERIFY(!like->isHidden());
    d.Find<QAbstractButton>(QStringLiteral("BestTileStopButton"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(!tab->Running(), 60000);
    QVERIFY(!tab->Result());

    // Opening another image cancels a run.
    d.window.CurrentPage->Image->SetControlSize(256, 256);
    like->click();
    QVERIFY(tab->Running());
    QCOMPARE(d.window.ConversionOptions().Scaling, DctScaling::Orthonormal);
    QCOMPARE(d.window.ConversionOptions().Levels, AllWaveletLevels);
    QVERIFY(like->isHidden());
    d.Open(Corpus("natural/chelsea_200x150.bmp"));
    QVERIFY(!tab->Running());
}

QTEST_MAIN(BestTileTest)
#include "BestTileTest.moc"
