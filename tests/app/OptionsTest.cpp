#include "WindowDriver.h"

#include "CompareTab.h"
#include "ConversionResult.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QTableView>

namespace {

QComboBox* Choice(WindowDriver& d, const char* name) {
    return d.Find<QComboBox>(QString::fromLatin1(name));
}

QStringList Items(QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) {
        items << box->itemText(i);
    }
    return items;
}

void ConvertAll(WindowDriver& d) {
    d.Find<QAction>(QStringLiteral("ConvertAllAction"))->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 120000);
}

} // namespace

// The transform options in the window: the bar and its menu, the rule's slider labels, "Same
// settings on every page", and what the results record and show.
class OptionsTest : public QObject {
    Q_OBJECT

private slots:
    void barMenuAndPresetAgree();
    void keptRuleRelabelsEverySliderAndReturns();
    void conversionsRunWithTheBarsOptions();
    void sameSettingsCopiesAndFollows();
    void compareMarksResultsMadeOtherwise();
};

void OptionsTest::barMenuAndPresetAgree() {
    WindowDriver d;
    QComboBox* scaling = Choice(d, "DctScalingChoice");
    QComboBox* levels = Choice(d, "WaveletLevelsChoice");
    QComboBox* rule = Choice(d, "RuleChoice");
    QCOMPARE(Items(scaling), QStringList({"Plain", "Orthonormal"}));
    QStringList levelItems = {"As the page (Haar all, D4 one)", "All levels"};
    for (int i = 1; i <= 12; ++i) {
        levelItems << QString::number(i);
    }
    QCOMPARE(Items(levels), levelItems);
    QCOMPARE(Items(rule), QStringList({"Permitted error", "Kept share"}));
    QCOMPARE(d.window.ConversionOptions(), TransformOptions{});

    d.Find<QAction>(QStringLiteral("LikeForLikeAction"))->trigger();
    QCOMPARE(scaling->currentText(), QStringLiteral("Orthonormal"));
    QCOMPARE(levels->currentText(), QStringLiteral("All levels"));
    QCOMPARE(rule->currentText(), QStringLiteral("Permitted error"));
    QCOMPARE(d.window.ConversionOptions(),
             (TransformOptions{DctScaling::Orthonormal, AllWaveletLevels, KeepRule::Error}));

    // The menu's radio items show the same choice and make it.
    auto* menu = d.Find<QMenu>(QStringLiteral("TransformOptionsMenu"));
    QStringList checked;
    QAction* three = nullptr;
    for (QAction* sub : menu->actions()) {
        if (!sub->menu()) {
            continue;
        }
        for (QAction* item : sub->menu()->actions()) {
            if (item->isChecked()) {
                checked << item->text();
            }
            if (sub->text() == QStringLiteral("Wavelet levels") && item->text() == "3") {
                three = item;
            }
        }
    }
    QCOMPARE(checked, QStringList({"Orthonormal", "All levels", "Permitted error"}));
    QVERIFY(three);
    three->trigger();
    QCOMPARE(levels->currentText(), QStringLiteral("3"));
    QCOMPARE(d.window.ConversionOptions().Levels, 3);
}

void OptionsTest::keptRuleRelabelsEverySliderAndReturns() {
    WindowDriver d;
    d.window.Pages[2].ErrorTrackBar->setValue(37);
    QComboBox* rule = Choice(d, "RuleChoice");
    rule->setCurrentIndex(1);
    for (std::size_t i = 0; i < d.window.Pages.size(); ++i) {
        const TransformPage& page = d.window.Pages[i];
        const int position = i == 2 ? 37 : page.ErrorTrackBar->value();
        QCOMPARE(page.ErrorTrackBar->value(), position);
        QCOMPARE(page.ErrorLabel->text(), QStringLiteral("Keep %1 %").arg(position));
        QCOMPARE(page.ErrorTrackBar->minimum(), 0);
        QCOMPARE(page.ErrorTrackBar->maximum(), 100);
    }
    // A slider moved under the rule reads as a share.
    d.SelectPage(0);
    d.window.CurrentPage->ErrorTrackBar->setValue(12);
    QCOMPARE(d.window.CurrentPage->ErrorLabel->text(), QStringLiteral("Keep 12 %"));

    rule->setCurrentIndex(0);
    QCOMPARE(d.window.Pages[0].ErrorLabel->text(), QStringLiteral("Error: 12%"));
    QCOMPARE(d.window.Pages[2].ErrorLabel->text(), QStringLiteral("Error: 37%"));
}

void OptionsTest::conversionsRunWithTheBarsOptions() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_200x150.bmp"));
    d.Find<QAction>(QStringLiteral("LikeForLikeAction"))->trigger();
    Choice(d, "RuleChoice")->setCurrentIndex(1);
    d.SelectPage(4);
    TransformPage& page = *d.window.CurrentPage;
    page.ErrorTrackBar->setValue(10);
    page.WinSizeTrackBar->setValue(1);
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);

    const TransformOptions expected{DctScaling::Orthonormal, AllWaveletLevels, KeepRule::Kept};
    QVERIFY(page.LastResult);
    QCOMPARE(page.LastResult->Settings.Options, expected);
    // One tile of 256 x 256 keeps floor(10 * 65536 / 100 + 0.5) = 6554 coefficients per channel.
    QCOMPARE(page.LastResult->MeanKeptPercent, 6554 * 100.0 / 65536);
    QVERIFY(page.QualityLabel->text().startsWith(QStringLiteral("PSNR ")));
    QCOMPARE(page.OptionsLabel->text(),
             QStringLiteral("Made with orthonormal DCT, all levels, kept share"));
    QVERIFY(!page.OptionsLabel->isHidden());
    QVERIFY(d.window.Pages[0].OptionsLabel->isHidden());
    QVERIFY(d.Find<QLabel>(QStringLiteral("ErrorsTitle"))
                ->text()
                .contains(QStringLiteral("keep 10%, orthonormal DCT, all levels, kept share")));

    auto* table = d.Find<QTableView>(QStringLiteral("CompareTable"));
    const auto cell = [&](int column) {
        return table->model()->index(4, column).data().toString();
    };
    QCOMPARE(cell(11), QStringLiteral("Orthonormal"));
    QCOMPARE(cell(12), QStringLiteral("All"));
    QCOMPARE(cell(13), QStringLiteral("Kept"));

    // The next conversion takes the options as they are when it starts.
    Choice(d, "DctScalingChoice")->setCurrentIndex(0);
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    QCOMPARE(page.LastResult->Settings.Options.Scaling, DctScaling::Plain);
    QCOMPARE(page.OptionsLabel->text(), QStringLiteral("Made with all levels, kept share"));
}

void OptionsTest::sameSettingsCopiesAndFollows() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_200x150.bmp"));
    d.SelectPage(1);
    TransformPage& source = *d.window.CurrentPage;
    source.ErrorTrackBar->setValue(7);
    source.WinSizeTrackBar->setValue(3);
    source.ColorCorrection->setChecked(!source.ColorCorrection->isChecked());
    QTest::mouseClick(source.Image, Qt::RightButton);
    const QSize zoomed = source.Image->size();

    auto* same = d.Find<QAction>(QStringLiteral("SameSettingsAction"));
    QVERIFY(same->isCheckable());
    same->setChecked(true);
    for (const TransformPage& page : d.window.Pages) {
        QCOMPARE(page.ErrorTrackBar->value(), 7);
        QCOMPARE(page.ErrorLabel->text(), QStringLiteral("Error: 7%"));
        QCOMPARE(page.WinSizeTrackBar->value(), 3);
        QCOMPARE(page.WinSizeLabel->text(),
                 QStringLiteral("Grid size: %1").arg(zoomed.width() / 4));
        QCOMPARE(page.ColorCorrection->isChecked(), source.ColorCorrection->isChecked());
        QCOMPARE(page.Image->size(), zoomed);
    }

    // While it is on, a change on any page reaches all six.
    d.SelectPage(5);
    d.window.CurrentPage->ErrorTrackBar->setValue(4);
    d.window.CurrentPage->WinSizeTrackBar->setValue(2);
    d.window.Pages[3].ColorCorrection->setChecked(!source.ColorCorrection->isChecked());
    for (const TransformPage& page : d.window.Pages) {
        QCOMPARE(page.ErrorTrackBar->value(), 4);
        QCOMPARE(page.WinSizeTrackBar->value(), 2);
        QCOMPARE(page.ColorCorrection->isChecked(), d.window.Pages[3].ColorCorrection->isChecked());
    }

    ConvertAll(d);
    for (const TransformPage& page : d.window.Pages) {
        QVERIFY(page.LastResult);
        QCOMPARE(page.LastResult->Settings.ErrorPercent, 4.0);
        QCOMPARE(page.LastResult->Settings.TileCount, 2);
        QCOMPARE(page.LastResult->Settings.ColorCorrection,
                 d.window.Pages[3].ColorCorrection->isChecked());
    }

    // Switched off, the pages go their own ways again.
    same->setChecked(false);
    d.window.CurrentPage->ErrorTrackBar->setValue(9);
    QCOMPARE(d.window.Pages[0].ErrorTrackBar->value(), 4);
}

void OptionsTest::compareMarksResultsMadeOtherwise() {
    WindowDriver d;
    d.Open(Corpus("natural/chelsea_200x150.bmp"));
    auto* compare = d.Find<CompareTab>(QStringLiteral("CompareTab"));
    d.SelectPage(0);
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    d.Find<QAction>(QStringLiteral("LikeForLikeAction"))->trigger();
    // One result: nothing to compare it with, whatever the bar says.
    QVERIFY(!compare->Marked(0));

    d.SelectPage(1);
    d.Button("ConvertButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(d.Idle(), 60000);
    QVERIFY(compare->Marked(0));
    QVERIFY(!compare->Marked(1));
    auto* table = d.Find<QTableView>(QStringLiteral("CompareTable"));
    QVERIFY(table->model()->index(0, 0).data(Qt::ToolTipRole).toString().contains("other"));

    // Back to the defaults: now the like-for-like row is the odd one.
    Choice(d, "DctScalingChoice")->setCurrentIndex(0);
    Choice(d, "WaveletLevelsChoice")->setCurrentIndex(0);
    QVERIFY(!compare->Marked(0));
    QVERIFY(compare->Marked(1));
}

QTEST_MAIN(OptionsTest)
#include "OptionsTest.moc"
