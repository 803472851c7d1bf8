#pragma once

#include "TransformOptions.h"

#include <QToolBar>

class QActionGroup;
class QComboBox;
class QMenu;

// The transform options that every page and the sweep convert with: a toolbar of three choices
// (DctScalingChoice, WaveletLevelsChoice, RuleChoice) and the "Like for like" preset
// (LikeForLikeAction), mirrored by radio items in a "Transform options" menu. The bar holds the
// options; the window reads them when a conversion starts.
class OptionsBar : public QToolBar {
    Q_OBJECT

public:
    // Fills menu with the same choices.
    OptionsBar(QMenu* menu, QWidget* parent = nullptr);

    TransformOptions Options() const { return options; }
    // Shows options in the choices and the menu, and says so when they changed.
    void SetOptions(const TransformOptions& newOptions);

    QAction* LikeForLikeAction = nullptr;

signals:
    void OptionsChanged(const TransformOptions& options);

private:
    QComboBox* AddChoice(const char* name, const QString& label, const QStringList& items,
                         const QString& hint, QMenu* menu, QActionGroup*& group);
    void Choose();

    TransformOptions options;
    bool showing = false;
    QComboBox* scalingChoice = nullptr;
    QComboBox* levelsChoice = nullptr;
    QComboBox* ruleChoice = nullptr;
    QActionGroup* scalingItems = nullptr;
    QActionGroup* levelsItems = nullptr;
    QActionGroup* ruleItems = nullptr;
};
