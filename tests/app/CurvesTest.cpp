#include "WindowDriver.h"

#include "BitmapFile.h"
#include "ConversionResult.h"
#include "ConvertImage.h"
#include "CurvesTab.h"
#include "ProgressBar.h"
#include "ResultRow.h"
#include "Sweep.h"
#include "TextOf.h"
#include "Threads.h"

#include <QAbstractButton>
#include <QAction>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QTableWidget>
#include <QTemporaryDir>

#include <bit>
#include <cmath>
#include <map>

namespace {

bool SameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

RgbView ViewOf(const QImage& image) {
    return RgbView{reinterpret_cast<const std::uint32_t*>(image.constBits()), image.width(),
                   image.height(), image.bytesPerLine() / 4};
}

// Everything of a page a sweep must leave alone.
struct PageState {
    QImage Picture;
    QString Compress;
    QString Quality;
    bool Unsaved;
    bool Busy;
    bool operator==(const PageState&) const = default;
};

PageState StateOf(const TransformPage& page) {
    return {page.Image->Picture(), page.CompressLabel->text(), page.QualityLabel->text(),
            page.Unsaved, page.Busy};
}

} // namespace

class CurvesTest : public QObject {
    Q_OBJECT

private slots:
    void sweepDrawsSixCurvesAndExportsThem();
    void cancelledSweepLeavesThePagesAlone();
    void windowSweepAndSeparateConversionsAgree();
    void bdTableGivesNumpysFiguresAndTheAnswer();
    void titleNamesTheImageSideAndTiles();
    void zeroKeptPointsAreLeftOutOfTheChartOnly();
    void cancelledSweepKeepsTheEarlierCurves();
};

void CurvesTest::sweepDrawsSixCurvesAndExportsThem() {
    WindowDriver d;
    QTemporaryDir dir;
    d.Open(Corpus("natural/chelsea_200x150.bmp"));
    auto* curves = d.Find<CurvesTab>(QStringLiteral("CurvesTab"));
    d.Find<QChartView>(QStringLiteral("SweepChart"));
    QCOMPARE(d.Find<QAbstractButton>(QStringLiteral("SweepButton"))->text(),
             QStringLiteral("Sweep"));
    d.SelectPage(3);
    d.window.CurrentPage->WinSizeTrackBar->setValue(3);
    d.Find<QAbstractButton>(QStringLiteral("SweepButton"))->click();
    QVERIFY(curves->Running());
    QTRY_VERIFY_WITH_TIMEOUT(!curves->Running(), 120000);
    QCOMPARE(curves->Points().size(), std::size_t(6 * 15));
    for (const SweepPoint& point : curves->Points()) {
        QCOMPARE(point.Result.Settings.Side, 256);
        QCOMPARE(point.Result.Settings.TileCount, 4);
    }
    QCOMPARE(d.Find<QProgressBar>(QStringLiteral("SweepProgressBar"))->value(), 90);

    // The CSV holds the batch command's columns and one row per point.
    const QString path = dir.filePath(QStringLiteral("sweep.csv"));
    d.dialogs->saveAnswers.push_back(path);
    d.Find<QAbstractButton>(QStringLiteral("SweepExportCsvButton"))->click();
    QFile csv(path);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(csv.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 91);
    QVERIFY(lines[0].startsWith(QStringLiteral("image,width,height,transform,side,tile,")));
    QVERIFY(lines[1].startsWith(QStringLiteral("chelsea_200x150.bmp,200,150,DCT 1D,256,64,0,no,")));

    const QString png = dir.filePath(QStringLiteral("chart.png"));
    d.dialogs->saveAnswers.push_back(png);
    d.Find<QAbstractButton>(QStringLiteral("SweepExportPngButton"))->click();
    QImage chart(png);
    QVERIFY(!chart.isNull());
    QVERIFY(d.dialogs->messages.empty());
}

void CurvesTest::cancelledSweepLeavesThePagesAlone() {
    BlockingTransform blocking;
    WindowDriver d;
    d.Open(Corpus("natural/astronaut_512x512.bmp"));
    // One page holds a result, another converts while the sweep runs.
    d.SelectPage(5);
    d.window.CurrentPage->ErrorTrackBar->setValue(20);
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    d.window.Pages[1].Transform = &blocking;
    d.SelectPage(1);
    d.Button("ConvertButton")->click();
    QTRY_VERIFY(blocking.Started());

    std::vector<PageState> before;
    for (const auto& page : d.window.Pages) {
        before.push_back(StateOf(page));
    }
    const bool saveEnabled = d.Button("SaveButton")->isEnabled();
    const bool convertEnabled = d.Button("ConvertButton")->isEnabled();

    auto* curves = d.Find<CurvesTab>(QStringLiteral("CurvesTab"));
    d.window.CurrentPage->Image->SetControlSize(512, 512);
    d.Find<QAbstractButton>(QStringLiteral("SweepButton"))->click();
    QVERIFY(curves->Running());
    d.Find<QAbstractButton>(QStringLiteral("SweepCancelButton"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(!curves->Running(), 30000);
    QVERIFY(curves->Points().size() < 90);

    for (std::size_t i = 0; i < before.size(); ++i) {
        QVERIFY2(StateOf(d.window.Pages[i]) == before[i], qPrintable(QString::number(i)));
    }
    QCOMPARE(d.Button("SaveButton")->isEnabled(), saveEnabled);
    QCOMPARE(d.Button("ConvertButton")->isEnabled(), convertEnabled);
    blocking.Release();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);

    // Opening another image while a sweep runs cancels it first.
    d.Find<QAbstractButton>(QStringLiteral("SweepButton"))->click();
    QVERIFY(curves->Running());
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    QVERIFY(!curves->Running());
}

void CurvesTest::windowSweepAndSeparateConversionsAgree() {
    // One page conversion in the window, the same point of a sweep and a separate conversion
    // give the same figures to the last bit, for a 1D and a 2D page, at a middle error and at
    // 100 %, where the kept percentage is carried between tiles.
    struct Case {
        int page;
        int error;
        int grid;
        bool correct;
    };
    for (const Case c : {Case{0, 7, 3, false}, Case{4, 100, 4, true}, Case{2, 100, 1, false}}) {
        WindowDriver d;
        d.Open(Corpus("natural/coffee_256x256.bmp"));
        const QImage loaded = d.OriginalImage()->Picture();
        d.SelectPage(c.page);
        TransformPage& page = *d.window.CurrentPage;
        page.ErrorTrackBar->setValue(c.error);
        page.WinSizeTrackBar->setValue(c.grid);
        page.ColorCorrection->setChecked(c.correct);
        d.Button("ConvertButton")->click();
        QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
        const ConversionResult& window = *page.LastResult;

        const auto kind = static_cast<TransformKind>(c.page);
        SweepSettings settings;
        settings.Kinds = {kind};
        settings.ErrorPercents = {double(c.error)};
        settings.TileCount = 1 << (c.grid - 1);
        settings.ColorCorrection = c.correct;
        settings.KeepPixels = true;
        const SweepPoint point = Sweep(settings).Run(ViewOf(loaded), 1).at(0);
        ConversionSettings single = window.Settings;
        const ConversionResult separate = ConvertImage(ViewOf(loaded), kind, single, 1);

        for (const ConversionResult* other : {&point.Result, &separate}) {
            for (int channel = 0; channel < 3; ++channel) {
                QVERIFY(SameBits(other->KeptPercent[channel], window.KeptPercent[channel]));
            }
            QVERIFY(SameBits(other->MeanKeptPercent, window.MeanKeptPercent));
            QVERIFY(SameBits(other->Quality.Mse, window.Quality.Mse));
            QVERIFY(SameBits(*other->Quality.Ssim, *window.Quality.Ssim));
            // The window's pixels are in the page's bitmap.
            const QImage& shown = page.Image->Picture();
            for (int y = 0; y < other->RegionHeight; ++y) {
                for (int x = 0; x < other->RegionWidth; ++x) {
                    QCOMPARE(other->Pixels[std::size_t(y) * other->RegionWidth + x] | 0xFF000000u,
                             shown.pixel(x, y));
                }
            }
        }
        QCOMPARE(page.CompressLabel->text(),
                 TransformThread::CompressCaption(window.MeanKeptPercent));
    }
}

namespace {

// expected.csv of tests/data/bd-reference (numpy and scipy): transform -> BD kept, BD PSNR, for
// one image, tile, options and method.
std::map<QString, std::pair<double, double>> ExpectedBd(const QString& group,
                                                        const QString& method) {
    QFile file(QStringLiteral(TARVISH_TEST_DATA "/bd-reference/expected.csv"));
    if (!file.open(QIODevice::ReadOnly)) {
        qFatal("no bd-reference/expected.csv");
    }
    std::map<QString, std::pair<double, double>> figures;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
        const QStringList f = line.split(',');
        if (f.size() == 13 && f.mid(0, 5).join(',') == group && f[6] == method) {
            figures[f[5]] = {f[11].toDouble(), f[12].toDouble()};
        }
    }
    return figures;
}

void CheckBdTable(QTableWidget* table, const std::map<QString, std::pair<double, double>>& expected,
                  const char* what) {
    // The six transforms, then the best per tile.
    QCOMPARE(table->rowCount(), 7);
    QCOMPARE(table->item(6, 0)->text(), QStringLiteral("Best per tile"));
    QCOMPARE(expected.size(), std::size_t(6));
    for (int row = 0; row < 6; ++row) {
        const QString transform = table->item(row, 0)->text();
        const auto [kept, psnr] = expected.at(transform);
        const double shownKept = table->item(row, 1)->data(Qt::UserRole).toString().toDouble();
        const double shownPsnr = table->item(row, 2)->data(Qt::UserRole).toString().toDouble();
        QVERIFY2(std::fabs(shownKept - kept) <= 1e-10 * std::max(1.0, std::fabs(kept)),
                 qPrintable(QStringLiteral("%1 %2: %3 against %4")
                                .arg(what, transform)
                                .arg(shownKept, 0, 'g', 17)
                                .arg(kept, 0, 'g', 17)));
        QVERIFY2(std::fabs(shownPsnr - psnr) <= 1e-10 * std::max(1.0, std::fabs(psnr)),
                 qPrintable(QStringLiteral("%1 %2 PSNR").arg(what, transform)));
        QCOMPARE(table->item(row, 1)->text(), QString::number(kept, 'f', 1));
    }
}

// "12.3 % fewer" or "4.5 % more", from the best-per-tile row of the table.
QString TileClause(QTableWidget* table) {
    const double kept = table->item(6, 1)->data(Qt::UserRole).toString().toDouble();
    const QString shown = QString::number(std::fabs(kept), 'f', 1);
    if (shown == QStringLiteral("0.0")) {
        return QStringLiteral("as many");
    }
    return QStringLiteral("%1 % %2").arg(shown, kept < 0 ? QStringLiteral("fewer")
                                                         : QStringLiteral("more"));
}

} // namespace

void CurvesTest::bdTableGivesNumpysFiguresAndTheAnswer() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    auto* curves = d.Find<CurvesTab>(QStringLiteral("CurvesTab"));
    auto* table = d.Find<QTableWidget>(QStringLiteral("BdTable"));
    auto* summary = d.Find<QLabel>(QStringLiteral("BdSummaryLabel"));
    auto* reference = d.Find<QComboBox>(QStringLiteral("BdReferenceChoice"));
    auto* method = d.Find<QComboBox>(QStringLiteral("BdMethodChoice"));
    QCOMPARE(method->itemText(0), QStringLiteral("Cubic fit (VCEG-M33)"));
    QCOMPARE(method->itemText(1), QStringLiteral("Piecewise cubic"));
    d.window.CurrentPage->WinSizeTrackBar->setValue(1);

    // The specified pages: DCT 2D keeps the fewest coefficients at equal PSNR.
    d.Find<QAbstractButton>(QStringLiteral("SweepButton"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(!curves->Running(), 120000);
    QCOMPARE(reference->currentText(), QStringLiteral("DCT 2D"));
    const QString plain = QStringLiteral("samples/chelsea_256x256.bmp,256,plain,page,error");
    CheckBdTable(table, ExpectedBd(plain, "cubic"), "defaults, cubic");
    QCOMPARE(summary->text(),
             QStringLiteral("DCT 2D keeps the fewest coefficients at equal PSNR; Best per tile "
                            "keeps %1.")
                 .arg(TileClause(table)));
    method->setCurrentIndex(1);
    CheckBdTable(table, ExpectedBd(plain, "pchip"), "defaults, pchip");

    // Like for like: D4 2D keeps fewer.
    d.Find<QAction>(QStringLiteral("LikeForLikeAction"))->trigger();
    method->setCurrentIndex(0);
    d.Find<QAbstractButton>(QStringLiteral("SweepButton"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(!curves->Running(), 120000);
    const auto like = ExpectedBd(
        QStringLiteral("samples/chelsea_256x256.bmp,256,orthonormal,all,error"), "cubic");
    CheckBdTable(table, like, "like for like, cubic");
    const int d4 = 4;
    QCOMPARE(table->item(d4, 0)->text(), QStringLiteral("D4 2D"));
    QCOMPARE(summary->text(),
             QStringLiteral("At equal PSNR (%1 dB), D4 2D keeps %2 % fewer coefficients than "
                            "DCT 2D; Best per tile keeps %3.")
                 .arg(table->item(d4, 3)->text(), QString::number(-like.at("D4 2D").first, 'f', 1),
                      TileClause(table)));

    // Against D4 2D its own row is 0 and the others keep more.
    reference->setCurrentText(QStringLiteral("D4 2D"));
    QCOMPARE(table->item(d4, 1)->text(), QStringLiteral("0.0"));
    QVERIFY(summary->text().startsWith(
        QStringLiteral("D4 2D keeps the fewest coefficients at equal PSNR; Best per tile keeps ")));

    // Ctrl+C copies the table with the sentence.
    table->setFocus();
    QTest::keySequence(table, QKeySequence::Copy);
    const QStringList lines = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 9);
    QVERIFY(lines[0].startsWith(QStringLiteral("Transform\tBD kept %\tBD PSNR (dB)")));
    QCOMPARE(lines.last(), summary->text());
}

namespace {

// The chart's curves by name (the six pages' captions and Best per tile), their points.
std::map<QString, QList<QPointF>> Curves(QChart* chart) {
    std::map<QString, QList<QPointF>> curves;
    for (QAbstractSeries* series : chart->series()) {
        if (auto* line = qobject_cast<QLineSeries*>(series)) {
            curves[line->name()] = line->points();
        }
    }
    return curves;
}

QStringList CsvLines(WindowDriver& d, const QString& path) {
    d.dialogs->saveAnswers.push_back(path);
    d.Find<QAbstractButton>(QStringLiteral("SweepExportCsvButton"))->click();
    QFile csv(path);
    if (!csv.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(csv.readAll()).split('\n', Qt::SkipEmptyParts);
}

} // namespace

void CurvesTest::titleNamesTheImageSideAndTiles() {
    WindowDriver d;
    QTemporaryDir dir;
    d.Open(Corpus("natural/chelsea_200x150.bmp"));
    auto* curves = d.Find<CurvesTab>(QStringLiteral("CurvesTab"));
    QChart* chart = d.Find<QChartView>(QStringLiteral("SweepChart"))->chart();
    d.SelectPage(3);
    d.window.CurrentPage->WinSizeTrackBar->setValue(3);
    // A saved page is no longer the loaded image's name; the sweep is still of that image.
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    d.dialogs->saveAnswers.push_back(dir.filePath(QStringLiteral("saved.bmp")));
    d.Button("SaveButton")->click();
    QVERIFY(d.window.CurrentFileName.endsWith(QStringLiteral("saved.bmp")));
    d.Find<QAbstractButton>(QStringLiteral("SweepButton"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(!curves->Running(), 120000);

    const QString title = QStringLiteral(
        "chelsea_200x150.bmp, 256 x 256 px, tiles of 64 px: 6 transforms at 15 errors");
    QCOMPARE(chart->title(), title);
    const QStringList lines = CsvLines(d, dir.filePath(QStringLiteral("sweep.csv")));
    QCOMPARE(lines.size(), 91);
    QVERIFY(lines[1].startsWith(QStringLiteral("chelsea_200x150.bmp,200,150,")));

    // The exports draw the chart as the tab shows it, title and all.
    d.window.show();
    d.Find<QTabWidget>(QStringLiteral("OriginalPageControl"))->setCurrentWidget(curves);
    QVERIFY(QTest::qWaitForWindowExposed(&d.window));
    const QString svgPath = dir.filePath(QStringLiteral("chart.svg"));
    d.dialogs->saveAnswers.push_back(svgPath);
    d.Find<QAbstractButton>(QStringLiteral("SweepExportSvgButton"))->click();
    QFile svgFile(svgPath);
    QVERIFY(svgFile.open(QIODevice::ReadOnly));
    const QString svg = QString::fromUtf8(svgFile.readAll());
    QVERIFY(svg.contains(QStringLiteral("<title>") + title + QStringLiteral("</title>")));
    QVERIFY2(svg.count(title) >= 2, "the title is drawn, not only named");
    const QString pngPath = dir.filePath(QStringLiteral("chart.png"));
    d.dialogs->saveAnswers.push_back(pngPath);
    d.Find<QAbstractButton>(QStringLiteral("SweepExportPngButton"))->click();
    const QImage png(pngPath);
    QVERIFY(!png.isNull());
    // Without its title the chart's top band would be blank.
    int ink = 0;
    for (int y = 0; y < chart->margins().top() + QFontMetrics(chart->titleFont()).height(); ++y) {
        for (int x = 0; x < png.width(); ++x) {
            ink += qGray(png.pixel(x, y)) < 128 ? 1 : 0;
        }
    }
    QVERIFY(ink > 50);

    // Another image loaded: the curves shown are still chelsea's, and say so.
    d.Open(Corpus("natural/coffee_256x256.bmp"));
    QCOMPARE(chart->title(), title);
    QCOMPARE(curves->Points().size(), std::size_t(90));
    QCOMPARE(CsvLines(d, dir.filePath(QStringLiteral("again.csv"))), lines);
    QVERIFY(d.dialogs->messages.empty());
}

void CurvesTest::zeroKeptPointsAreLeftOutOfTheChartOnly() {
    WindowDriver d;
    QTemporaryDir dir;
    d.Open(Corpus("natural/chelsea_256x256.bmp"));
    auto* curves = d.Find<CurvesTab>(QStringLiteral("CurvesTab"));
    QChart* chart = d.Find<QChartView>(QStringLiteral("SweepChart"))->chart();
    d.window.CurrentPage->WinSizeTrackBar->setValue(2);
    d.Find<QAbstractButton>(QStringLiteral("SweepButton"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(!curves->Running(), 120000);

    // Per curve, the points with a finite PSNR: those that keep something, and those that do not.
    std::map<QString, int> kept;
    std::map<QString, int> none;
    for (const SweepPoint& p : curves->Points()) {
        const QString name = TextOf(Describe(p.Kind).Caption);
        if (std::isfinite(p.Result.Quality.PsnrDb)) {
            ++(p.Result.MeanKeptPercent > 0.0 ? kept : none)[name];
        }
    }
    int leftOut = 0;
    for (const auto& [name, count] : none) {
        leftOut += count;
    }
    // 100 % lets every coefficient go.
    QVERIFY(leftOut >= 6);
    const auto shown = Curves(chart);
    for (std::size_t i = 0; i < 6; ++i) {
        const QString name = TextOf(TransformKinds()[i].Caption);
        QVERIFY2(shown.count(name) == 1, qPrintable(name));
        QCOMPARE(shown.at(name).size(), kept[name]);
        for (const QPointF& at : shown.at(name)) {
            QVERIFY2(at.x() > 0.0, qPrintable(name));
        }
        const QString tip = curves->SeriesTip(i);
        QVERIFY2(tip.startsWith(name + QStringLiteral("\nPoints that keep 0 % are left out of the "
                                                      "logarithmic axis")),
                 qPrintable(tip));
        if (none[name] > 0) {
            QVERIFY2(tip.contains(QStringLiteral("(%1 of this curve)").arg(none[name])),
                     qPrintable(tip));
        }
    }
    for (const QPointF& at : shown.at(QStringLiteral("Best per tile"))) {
        QVERIFY(at.x() > 0.0);
    }
    QVERIFY(curves->SeriesTip(6).contains(QStringLiteral("left out of the logarithmic axis")));
    // The axis starts at the decade of the smallest share drawn.
    auto* axis = qobject_cast<QLogValueAxis*>(chart->axes(Qt::Horizontal).constFirst());
    QVERIFY(axis);
    double smallest = 100.0;
    for (const SweepPoint& p : curves->Points()) {
        if (p.Result.MeanKeptPercent > 0.0) {
            smallest = std::min(smallest, p.Result.MeanKeptPercent);
        }
    }
    QCOMPARE(axis->min(), std::pow(10.0, std::floor(std::log10(smallest))));

    // The CSV keeps them all, those of 0 % too.
    const QStringList lines = CsvLines(d, dir.filePath(QStringLiteral("sweep.csv")));
    QCOMPARE(lines.size(), 91);
    const int keptColumn = int(QString::fromLatin1("image,width,height,transform,side,tile,"
                                                   "error_percent,color_correction,"
                                                   "kept_percent_red,kept_percent_green,"
                                                   "kept_percent_blue,kept_percent")
                                   .split(',')
                                   .size()) -
                           1;
    QVERIFY(lines[0].split(',')[keptColumn] == QStringLiteral("kept_percent"));
    int zeros = 0;
    for (const QString& line : lines.mid(1)) {
        zeros += line.split(',')[keptColumn].toDouble() == 0.0 ? 1 : 0;
    }
    QVERIFY(zeros >= leftOut);
}

void CurvesTest::cancelledSweepKeepsTheEarlierCurves() {
    FakeDialogsScope dialogs;
    CurvesTab curves;
    QChart* chart = curves.findChild<QChartView*>(QStringLiteral("SweepChart"))->chart();
    SweepSettings settings;
    settings.Kinds = {TransformKind::Dct2D, TransformKind::Haar2D};
    settings.ErrorPercents = {1.0, 10.0, 30.0};
    settings.TileCount = 4;
    const QImage chelsea = LoadBitmap(Corpus("natural/chelsea_256x256.bmp"));
    const QImage coffee = LoadBitmap(Corpus("natural/coffee_256x256.bmp"));
    curves.Start(chelsea, QStringLiteral("chelsea.bmp"), settings);
    QTRY_VERIFY_WITH_TIMEOUT(!curves.Running(), 60000);
    QCOMPARE(curves.Points().size(), std::size_t(6));
    const QString title = chart->title();
    QCOMPARE(title, QStringLiteral("chelsea.bmp, 256 x 256 px, tiles of 64 px: 2 transforms at 3 "
                                   "errors"));
    const QString csv = curves.Csv();
    const auto drawn = Curves(chart);
    QCOMPARE(drawn.at(QStringLiteral("DCT 2D")).size(), 3);

    // Another sweep, stopped before its first point arrives: the earlier curves stay, and so
    // does all that belongs to them.
    SweepSettings other = settings;
    other.TileCount = 2;
    curves.Start(coffee, QStringLiteral("coffee.bmp"), other);
    QVERIFY(curves.Running());
    QCOMPARE(chart->title(), title);
    curves.Cancel();
    QVERIFY(!curves.Running());
    QCOMPARE(curves.Points().size(), std::size_t(6));
    QCOMPARE(chart->title(), title);
    QCOMPARE(curves.Csv(), csv);
    QCOMPARE(Curves(chart), drawn);
    QCOMPARE(curves.findChild<QLabel*>(QStringLiteral("SweepStatus"))->text(),
             QStringLiteral("Stopped before the first point; the curves shown are the earlier "
                            "ones."));
    QVERIFY(
        curves.findChild<QAbstractButton*>(QStringLiteral("SweepExportCsvButton"))->isEnabled());
    // Nothing the stopped sweep had queued arrives late.
    QCoreApplication::processEvents();
    QCOMPARE(curves.Csv(), csv);

    // Once a sweep has points, they replace the earlier ones.
    curves.Start(coffee, QStringLiteral("coffee.bmp"), other);
    QTRY_VERIFY_WITH_TIMEOUT(!curves.Running(), 60000);
    QCOMPARE(curves.Points().size(), std::size_t(6));
    QCOMPARE(chart->title(), QStringLiteral("coffee.bmp, 256 x 256 px, tiles of 128 px: 2 "
                                            "transforms at 3 errors"));
    QVERIFY(curves.Csv().contains(QStringLiteral("\ncoffee.bmp,256,256,")));
    QVERIFY((*dialogs).messages.empty());
}

QTEST_MAIN(CurvesTest)
#include "CurvesTest.moc"
