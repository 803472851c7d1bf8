#pragma once

#include <QMenuBar>

class QAction;

// The window's menu bar and its commands, each a QAction named after its command
// ("OpenAction") with the usual shortcut. The window connects them and sets their state.
class MainMenu : public QMenuBar {
    Q_OBJECT

public:
    explicit MainMenu(QWidget* parent = nullptr);

    // File
    QAction* OpenAction;
    QAction* SaveAction;
    QAction* SaveAllAction;
    QAction* ExitAction;
    // Conversion
    QAction* ConvertAction;
    QAction* ConvertAllAction;
    QAction* StopAction;
    // View
    QAction* ZoomInAction;
    QAction* ZoomOutAction;
    QAction* ShowGridAction;
    QAction* NextPageAction;
    QAction* PreviousPageAction;
    // Help
    QAction* AboutAction;
};
