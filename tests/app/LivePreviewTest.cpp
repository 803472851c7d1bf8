// Live preview: the page follows its sliders, and once they rest it holds exactly what Convert
// gives at the same position.

#include "ConversionResult.h"
#include "WindowDriver.h"

#include <QAction>
#include <QCheckBox>
#include <QSignalSpy>

#include <memory>

namespace {

// A drag of the page's slider that passes through the positions and rests on the last.
void Drag(QSlider* slider, std::initializer_list<int> positions) {
    slider->setSliderDown(true);
    for (int position : positions) {
        slider->setValue(position);
    }
    slider->setSliderDown(false);
}

struct Shown {
    QImage Picture;
    std::shared_ptr<const ConversionResult> Result;
    QString Comp;
};

Shown ShownOn(const TransformPage& page) {
    return {page.Image->Picture().copy(), page.LastResult, page.CompressLabel->text()};
}

void CompareShown(const Shown& live, const Shown& convert, const QString& where) {
    QVERIFY2(live.Result && convert.Result, qPrintable(where));
    QVERIFY2(live.Picture == convert.Picture, qPrintable(where + ": pictures differ"));
    QCOMPARE(live.Comp, convert.Comp);
    QCOMPARE(live.Result->KeptPercent, convert.Result->KeptPercent);
    QCOMPARE(live.Result->Quality.Mse, convert.Result->Quality.Mse);
    QCOMPARE(live.Result->Quality.MaxError, convert.Result->Quality.MaxError);
    QCOMPARE(live.Result->ErrorMap, convert.Result->ErrorMap);
    QCOMPARE(live.Result->Settings.TileCount, convert.Result->Settings.TileCount);
    QCOMPARE(live.Result->Settings.ErrorPercent, convert.Result->Settings.ErrorPercent);
}

} // namespace

class LivePreviewTest : public QObject {
    Q_OBJECT

private slots:
    void restingSliderHoldsWhatConvertGives_data();
    void restingSliderHoldsWhatConvertGives();
    void stoppedStepLeavesThePageAsItWas();
    void offByDefaultAndSlidersThenOnlyMove();
    void withSameSettingsTheOthersConvertOnRelease();
};

void LivePreviewTest::restingSliderHoldsWhatConvertGives_data() {
    QTest::addColumn<int>("page");
    for (int page = 0; page < 6; ++page) {
        QTest::newRow(qPrintable(QStringLiteral("page %1").arg(page))) << page;
    }
}

void LivePreviewTest::restingSliderHoldsWhatConvertGives() {
    QFETCH(int, page);
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_200x150.bmp"));
    d.SelectPage(page);
    d.Find<QAction>(QStringLiteral("LivePreviewAction"))->setChecked(true);
    TransformPage& p = *d.window.CurrentPage;
    p.GridBox->setChecked(page % 2 == 0);
    QToolButton* stop = d.Button("StopButton");
    QToolButton* convert = d.Button("ConvertButton");

    // Drags that rest on several positions, the grid changing between them (new coefficients)
    // and not (the kept ones).
    struct Rest {
        int Grid;
        std::initializer_list<int> Errors;
    };
    const Rest rests[] = {{3, {2, 9, 17}}, {3, {40, 25}}, {1, {60, 3}}, {5, {12}}};
    for (const Rest& rest : rests) {
        const QString where = QStringLiteral("page %1, grid %2, error %3")
                                  .arg(page)
                                  .arg(rest.Grid)
                                  .arg(*(rest.Errors.end() - 1));
        Drag(p.WinSizeTrackBar, {rest.Grid});
        Drag(p.ErrorTrackBar, rest.Errors);
        QTRY_VERIFY_WITH_TIMEOUT(!stop->isEnabled() && d.Idle(), 60000);
        const Shown live = ShownOn(p);
        QVERIFY2(live.Result, qPrintable(where));
        QCOMPARE(live.Result->Settings.ErrorPercent, double(*(rest.Errors.end() - 1)));

        convert->click();
        QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
        CompareShown(live, ShownOn(p), where);
        if (QTest::currentTestFailed()) {
            return;
        }
    }
}

void LivePreviewTest::stoppedStepLeavesThePageAsItWas() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_200x150.bmp"));
    d.SelectPage(3);
    TransformPage& p = *d.window.CurrentPage;
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    const Shown before = ShownOn(p);

    d.Find<QAction>(QStringLiteral("LivePreviewAction"))->setChecked(true);
    // Large enough that the step is still under way when Stop comes.
    d.window.ZoomInImage(Qt::LeftButton);
    d.window.ZoomInImage(Qt::LeftButton);
    QToolButton* stop = d.Button("StopButton");
    p.ErrorTrackBar->setValue(33);
    QVERIFY(stop->isEnabled());
    stop->click();
    QVERIFY(!stop->isEnabled());
    // The thread takes one request after another: once another page's step is shown, whatever
    // the stopped one handed back has arrived, and was dropped.
    d.SelectPage(0);
    d.window.CurrentPage->ErrorTrackBar->setValue(21);
    QTRY_VERIFY_WITH_TIMEOUT(d.window.Pages[0].LastResult != nullptr, 60000);
    QVERIFY(p.LastResult == before.Result);
    QVERIFY(p.Image->Picture() == before.Picture);
    QCOMPARE(p.CompressLabel->text(), before.Comp);
}

void LivePreviewTest::offByDefaultAndSlidersThenOnlyMove() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_200x150.bmp"));
    auto* action = d.Find<QAction>(QStringLiteral("LivePreviewAction"));
    QVERIFY(action->isCheckable());
    QVERIFY(!action->isChecked());
    QCOMPARE(action->text(), QStringLiteral("Live preview"));
    TransformPage& p = *d.window.CurrentPage;
    Drag(p.ErrorTrackBar, {4, 8});
    QVERIFY(!d.Button("StopButton")->isEnabled());
    QVERIFY(!p.LastResult);
}

void LivePreviewTest::withSameSettingsTheOthersConvertOnRelease() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_200x150.bmp"));
    d.Find<QAction>(QStringLiteral("SameSettingsAction"))->setChecked(true);
    d.Find<QAction>(QStringLiteral("LivePreviewAction"))->setChecked(true);
    d.SelectPage(1);
    TransformPage& active = *d.window.CurrentPage;
    active.ErrorTrackBar->setSliderDown(true);
    active.ErrorTrackBar->setValue(14);
    active.ErrorTrackBar->setValue(15);
    // While the slider is held only the active page converts.
    for (std::size_t i = 0; i < d.window.Pages.size(); ++i) {
        if (i != 1) {
            QVERIFY2(!d.window.Pages[i].Busy && !d.window.Pages[i].LastResult,
                     qPrintable(QStringLiteral("page %1").arg(i)));
        }
    }
    active.ErrorTrackBar->setSliderDown(false);
    QTRY_VERIFY_WITH_TIMEOUT(!d.Button("StopButton")->isEnabled() && d.Idle(), 60000);
    for (std::size_t i = 0; i < d.window.Pages.size(); ++i) {
        const auto& result = d.window.Pages[i].LastResult;
        QVERIFY2(result, qPrintable(QStringLiteral("page %1 not converted").arg(i)));
        QCOMPARE(result->Settings.ErrorPercent, 15.0);
    }
}

QTEST_MAIN(LivePreviewTest)
#include "LivePreviewTest.moc"
