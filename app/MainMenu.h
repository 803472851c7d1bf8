#pragma once

#include <QMenuBar>

class QAction;
class QMenu;

// The window's menu bar and its commands, each a QAction named after its command
// ("OpenAction") with the usual shortcut. The window connects them and sets their state.
class MainMenu : public QMenuBar {
    Q_OBJECT

public:
    explicit MainMenu(QWidget* parent = nullptr);

    // File
    QAction* OpenAction;
    // Row files of tarvish-batch, shown as a set's curves in the Curves tab.
    QAction* OpenResultsAction;
    QAction* SaveAction;
    QAction* SaveAllAction;
    QAction* ExitAction;
    // Conversion
    QAction* ConvertAction;
    QAction* ConvertAllAction;
    QAction* StopAction;
    // Copies the active page's grid, error, colour correction and zoom to the other pages, and
    // keeps them alike while it is checked.
    QAction* SameSettingsAction;
    // The options' choices, which the options bar fills in.
    QMenu* TransformOptionsMenu;
    // View
    QAction* ZoomInAction;
    QAction* ZoomOutAction;
    // Every page's side to the smallest power of two that covers the loaded image.
    QAction* FitSideAction;
    QAction* ShowGridAction;
    // While checked, the active page converts again as its error or grid slider moves.
    QAction* LivePreviewAction;
    QAction* NextPageAction;
    QAction* PreviousPageAction;
    // Help
    QAction* AboutAction;
};
