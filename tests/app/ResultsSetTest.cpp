#include "WindowDriver.h"

#include "Bjontegaard.h"
#include "CurvesTab.h"
#include "ResultRow.h"

#include <QAbstractButton>
#include <QAction>
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFile>
#include <QLineSeries>
#include <QTableWidget>
#include <QTemporaryDir>

#include <array>
#include <cmath>
#include <vector>

// Row files of tarvish-batch opened in the window: the set's curves, bands and BD table,
// against figures worked out here from the rows themselves.

namespace {

constexpr std::array<double, 5> Errors{0.0, 1.0, 5.0, 20.0, 50.0};
constexpr std::array<const char*, 3> Images{"a.png", "b.png", "c.png"};
// Per image: PSNR offsets, whose 25th and 75th percentiles (numpy's linear default) are 31 and
// 36 and their mean 34.
constexpr std::array<double, 3> PsnrOffsets{30.0, 32.0, 40.0};

double Kept(std::size_t image, bool haar, int tiles, std::size_t error) {
    return (haar ? 60.0 : 80.0) / (1.0 + 2.0 * error) / (1.0 + image) + tiles / 16.0;
}

double Psnr(std::size_t image, bool haar, std::size_t error) {
    return PsnrOffsets[image] + (haar ? 1.5 : 0.0) - 3.0 * error;
}

double Ssim(std::size_t image, std::size_t error) {
    return 0.9 - 0.1 * error - 0.01 * image;
}

QString Row(std::size_t image, bool haar, int tiles, std::size_t error) {
    const auto n = [](double v) { return QString::fromStdString(ResultRow::Number(v)); };
    const double kept = Kept(image, haar, tiles, error);
    return QStringLiteral("%1,256,256,%2,256,%3,%4,no,%5,%5,%5,%5,1.5,%6,%7,9,1.0,plain,page,error")
        .arg(QString::fromLatin1(Images[image]),
             haar ? QStringLiteral("Haar 2D") : QStringLiteral("DCT 2D"))
        .arg(256 / tiles)
        .arg(n(Errors[error]), n(kept), n(Psnr(image, haar, error)), n(Ssim(image, error)));
}

QString Header() {
    QStringList columns;
    for (std::string_view column : ResultRow::Columns()) {
        columns << QString::fromUtf8(column.data(), static_cast<qsizetype>(column.size()));
    }
    return columns.join(',');
}

void Write(const QString& path, const QStringList& lines) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write((lines.join('\n') + '\n').toUtf8());
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

template <typename Series>
Series* SeriesNamed(QChart* chart, const QString& name) {
    for (QAbstractSeries* series : chart->series()) {
        if (series->name() == name && qobject_cast<Series*>(series)) {
            return qobject_cast<Series*>(series);
        }
    }
    return nullptr;
}

} // namespace

class ResultsSetTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheSetsMeansBandsAndBdFigures();
    void refusesABadRowFileNamingItsLine();
};

void ResultsSetTest::showsTheSetsMeansBandsAndBdFigures() {
    QTemporaryDir dir;
    // Two shards: a and b with the header, c without.
    QStringList first{Header()};
    QStringList second;
    for (std::size_t image = 0; image < Images.size(); ++image) {
        for (bool haar : {false, true}) {
            for (int tiles : {2, 8}) {
                for (std::size_t e = 0; e < Errors.size(); ++e) {
                    (image < 2 ? first : second) << Row(image, haar, tiles, e);
                }
            }
        }
    }
    const QString one = dir.filePath(QStringLiteral("1.csv"));
    const QString two = dir.filePath(QStringLiteral("2.csv"));
    Write(one, first);
    Write(two, second);

    WindowDriver d;
    auto* curves = d.Find<CurvesTab>(QStringLiteral("CurvesTab"));
    d.dialogs->openManyAnswers.push_back({two, one});
    auto* open = d.window.findChild<QAction*>(QStringLiteral("OpenResultsAction"));
    QCOMPARE(open->text(), QStringLiteral("Open results..."));
    open->trigger();
    QTRY_VERIFY(curves->Set() != nullptr);
    QCOMPARE(d.Find<QTabWidget>(QStringLiteral("OriginalPageControl"))->currentWidget(), curves);

    auto* groups = d.Find<QComboBox>(QStringLiteral("ResultsGroupChoice"));
    QVERIFY(!groups->isHidden());
    QCOMPARE(groups->count(), 2);
    QCOMPARE(groups->itemText(0), QStringLiteral("2 tiles per side"));
    QCOMPARE(groups->itemText(1), QStringLiteral("8 tiles per side"));
    QChart* chart = d.Find<QChartView>(QStringLiteral("SweepChart"))->chart();
    QVERIFY2(chart->title().startsWith(QStringLiteral("3 images, 2 tiles per side")),
             qPrintable(chart->title()));

    for (int group = 0; group < 2; ++group) {
        groups->setCurrentIndex(group);
        const int tiles = group == 0 ? 2 : 8;
        for (bool haar : {false, true}) {
            const QString name = haar ? QStringLiteral("Haar 2D") : QStringLiteral("DCT 2D");
            const auto* mean = SeriesNamed<QLineSeries>(chart, name);
            const auto* band =
                SeriesNamed<QAreaSeries>(chart, name + QStringLiteral(" middle half"));
            QVERIFY(mean && band);
            QCOMPARE(mean->count(), int(Errors.size()));
            for (std::size_t e = 0; e < Errors.size(); ++e) {
                long double kept = 0;
                for (std::size_t image = 0; image < Images.size(); ++image) {
                    kept += Kept(image, haar, tiles, e);
                }
                const double shift = Psnr(0, haar, e) - PsnrOffsets[0];
                const QPointF at = mean->at(int(e));
                const QString where =
                    QStringLiteral("%1, %2 tiles, error %3").arg(name).arg(tiles).arg(Errors[e]);
                QVERIFY2(std::fabs(at.x() - double(kept / 3)) < 1e-12, qPrintable(where));
                QVERIFY2(std::fabs(at.y() - (34.0 + shift)) < 1e-12, qPrintable(where));
                QVERIFY2(std::fabs(band->upperSeries()->at(int(e)).y() - (36.0 + shift)) < 1e-12,
                         qPrintable(where));
                QVERIFY2(std::fabs(band->lowerSeries()->at(int(e)).y() - (31.0 + shift)) < 1e-12,
                         qPrintable(where));
            }
        }
    }

    // BD: each image's Haar 2D curve against its own DCT 2D curve, then the mean.
    groups->setCurrentIndex(1);
    long double sum = 0;
    for (std::size_t image = 0; image < Images.size(); ++image) {
        std::vector<RdPoint> reference;
        std::vector<RdPoint> test;
        for (std::size_t e = 0; e < Errors.size(); ++e) {
            reference.push_back({Kept(image, false, 8, e), Psnr(image, false, e)});
            test.push_back({Kept(image, true, 8, e), Psnr(image, true, e)});
        }
        sum += *Bjontegaard(reference, test, BdMethod::CubicFit).KeptPercent;
    }
    auto* table = d.Find<QTableWidget>(QStringLiteral("BdTable"));
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->item(1, 0)->text(), QStringLiteral("Haar 2D"));
    QVERIFY(std::fabs(table->item(1, 1)->data(Qt::UserRole).toString().toDouble() -
                      double(sum / 3)) < 1e-9);
    QCOMPARE(table->item(1, 4)->text(), QStringLiteral("3"));
    const QString sentence = d.Find<QLabel>(QStringLiteral("BdSummaryLabel"))->text();
    QVERIFY2(sentence.startsWith(QStringLiteral("Over 3 images, Haar 2D keeps on average")),
             qPrintable(sentence));

    // The chart as PNG and SVG, the curves as tarvish-summary's table.
    const QString csv = dir.filePath(QStringLiteral("curves.csv"));
    const QString png = dir.filePath(QStringLiteral("chart.png"));
    const QString svg = dir.filePath(QStringLiteral("chart.svg"));
    d.dialogs->saveAnswers = {csv, png, svg};
    d.Find<QAbstractButton>(QStringLiteral("SweepExportCsvButton"))->click();
    d.Find<QAbstractButton>(QStringLiteral("SweepExportPngButton"))->click();
    d.Find<QAbstractButton>(QStringLiteral("SweepExportSvgButton"))->click();
    const QStringList table2 = QString::fromUtf8(Read(csv)).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(table2.size(), 1 + 2 * 2 * int(Errors.size()));
    QVERIFY(table2[0].startsWith(QStringLiteral("transform,tiles,color_correction,error_percent,"
                                                "images,kept_percent_mean,")));
    QVERIFY(table2[1].startsWith(QStringLiteral("DCT 2D,2,no,0,3,")));
    QVERIFY(!QImage(png).isNull());
    const QByteArray drawing = Read(svg);
    QVERIFY(drawing.contains("<svg"));
    QVERIFY(drawing.contains("</svg>"));
    QVERIFY(d.dialogs->messages.empty());
}

void ResultsSetTest::refusesABadRowFileNamingItsLine() {
    QTemporaryDir dir;
    const QString bad = dir.filePath(QStringLiteral("bad.csv"));
    Write(bad, {Header(), Row(0, false, 2, 0),
                Row(0, false, 2, 1).replace(QStringLiteral(",no,"), QStringLiteral(",maybe,"))});
    WindowDriver d;
    auto* curves = d.Find<CurvesTab>(QStringLiteral("CurvesTab"));
    d.dialogs->openManyAnswers.push_back({bad});
    d.window.findChild<QAction*>(QStringLiteral("OpenResultsAction"))->trigger();
    QTRY_COMPARE(d.dialogs->messages.size(), std::size_t(1));
    const QString text = d.dialogs->messages.front().text;
    QVERIFY2(text.startsWith(QStringLiteral("Cannot open the results: ")) &&
                 text.contains(bad + QStringLiteral(":3:")),
             qPrintable(text));
    QVERIFY(curves->Set() == nullptr);
    QVERIFY(!curves->Running());
}

QTEST_MAIN(ResultsSetTest)

#include "ResultsSetTest.moc"
