#include "OptionsBar.h"

#include "OptionsText.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QLabel>
#include <QMenu>

namespace {

// The levels choice lists page, all, then 1 to 12.
int LevelsAt(int index) {
    return index == 0 ? PageLevels : index == 1 ? AllWaveletLevels : index - 1;
}

int IndexOfLevels(int levels) {
    return levels == PageLevels ? 0 : levels == AllWaveletLevels ? 1 : levels + 1;
}

} // namespace

OptionsBar::OptionsBar(QMenu* menu, QWidget* parent) : QToolBar(parent) {
    setObjectName(QStringLiteral("TransformOptionsBar"));
    setWindowTitle(QStringLiteral("Transform options"));
    setMovable(false);

    scalingChoice = AddChoice(
        "DctScalingChoice", QStringLiteral("DCT scaling"),
        {ScalingText(DctScaling::Plain), ScalingText(DctScaling::Orthonormal)},
        QStringLiteral("Plain thresholds the cosine pages' unnormalised coefficients, whose first "
                       "weighs 1/N of the energy and the others 2/N; Orthonormal decides on them "
                       "scaled to an orthonormal basis, so that an error means the same on every "
                       "page"),
        menu, scalingItems);
    QStringList levels = {LevelsText(PageLevels), LevelsText(AllWaveletLevels)};
    for (int count = 1; count <= MaxWaveletLevels; ++count) {
        levels << LevelsText(count);
    }
    levelsChoice = AddChoice(
        "WaveletLevelsChoice", QStringLiteral("Wavelet levels"), levels,
        QStringLiteral("As the page: Haar through every level, D4 one filter step per line. All "
                       "levels, or a number, applies to both"),
        menu, levelsItems);
    ruleChoice = AddChoice(
        "RuleChoice", QStringLiteral("Rule"), {RuleText(KeepRule::Error), RuleText(KeepRule::Kept)},
        QStringLiteral("Permitted error: each tile drops coefficients up to the error set on the "
                       "page. Kept share: each tile keeps the share set on the page"),
        menu, ruleItems);

    LikeForLikeAction = new QAction(QStringLiteral("Like for like"), this);
    LikeForLikeAction->setObjectName(QStringLiteral("LikeForLikeAction"));
    LikeForLikeAction->setToolTip(QStringLiteral("Orthonormal DCT and every wavelet level: the "
                                                 "six transforms compared on equal terms"));
    addSeparator();
    addAction(LikeForLikeAction);
    menu->addSeparator();
    menu->addAction(LikeForLikeAction);
    connect(LikeForLikeAction, &QAction::triggered, this, [this] {
        TransformOptions preset = options;
        preset.Scaling = DctScaling::Orthonormal;
        preset.Levels = AllWaveletLevels;
        SetOptions(preset);
    });
    SetOptions(options);
}

QComboBox* OptionsBar::AddChoice(const char* name, const QString& label, const QStringList& items,
                                 const QString& hint, QMenu* menu, QActionGroup*& group) {
    auto* caption = new QLabel(label + QStringLiteral(" "), this);
    auto* choice = new QComboBox(this);
    choice->setObjectName(QString::fromLatin1(name));
    choice->addItems(items);
    choice->setToolTip(WrappedTip(hint));
    choice->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    addWidget(caption);
    addWidget(choice);
    addSeparator();

    QMenu* sub = menu->addMenu(label);
    group = new QActionGroup(this);
    group->setExclusive(true);
    for (int i = 0; i < items.size(); ++i) {
        QAction* item = sub->addAction(items[i]);
        item->setCheckable(true);
        item->setData(i);
        group->addAction(item);
    }
    // Any change of the choice counts, a program's as well as a person's.
    connect(choice, &QComboBox::currentIndexChanged, this, &OptionsBar::Choose);
    connect(group, &QActionGroup::triggered, this, [choice, this](QAction* item) {
        choice->setCurrentIndex(item->data().toInt());
        Choose();
    });
    return choice;
}

void OptionsBar::Choose() {
    if (showing) {
        return;
    }
    TransformOptions chosen;
    chosen.Scaling =
        scalingChoice->currentIndex() == 1 ? DctScaling::Orthonormal : DctScaling::Plain;
    chosen.Levels = LevelsAt(levelsChoice->currentIndex());
    chosen.Rule = ruleChoice->currentIndex() == 1 ? KeepRule::Kept : KeepRule::Error;
    SetOptions(chosen);
}

void OptionsBar::SetOptions(const TransformOptions& newOptions) {
    CheckOptions(newOptions);
    const bool changed = !(newOptions == options);
    options = newOptions;
    // The choices are set one at a time; none of them is a choice of its own meanwhile.
    showing = true;
    const int scaling = options.Scaling == DctScaling::Orthonormal ? 1 : 0;
    const int levels = IndexOfLevels(options.Levels);
    const int rule = options.Rule == KeepRule::Kept ? 1 : 0;
    scalingChoice->setCurrentIndex(scaling);
    levelsChoice->setCurrentIndex(levels);
    ruleChoice->setCurrentIndex(rule);
    scalingItems->actions().at(scaling)->setChecked(true);
    levelsItems->actions().at(levels)->setChecked(true);
    ruleItems->actions().at(rule)->setChecked(true);
    showing = false;
    if (changed) {
        emit OptionsChanged(options);
    }
}
