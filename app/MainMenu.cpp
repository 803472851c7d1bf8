#include "MainMenu.h"

#include <QAction>
#include <QMenu>

namespace {

QAction* AddAction(QMenu* menu, const char* name, const QString& text,
                   const QList<QKeySequence>& shortcuts) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcuts(shortcuts);
    // The window owns the shortcuts wherever the focus is inside it.
    action->setShortcutContext(Qt::WindowShortcut);
    return action;
}

} // namespace

MainMenu::MainMenu(QWidget* parent) : QMenuBar(parent) {
    setObjectName(QStringLiteral("MainMenu"));

    QMenu* file = addMenu(QStringLiteral("&File"));
    OpenAction = AddAction(file, "OpenAction", QStringLiteral("&Open image..."),
                           {QKeySequence(QKeySequence::Open)});
    OpenResultsAction = AddAction(file, "OpenResultsAction", QStringLiteral("Open results..."),
                                  {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)});
    SaveAction = AddAction(file, "SaveAction", QStringLiteral("&Save image..."),
                           {QKeySequence(QKeySequence::Save)});
    SaveAllAction =
        AddAction(file, "SaveAllAction", QStringLiteral("Save &all unsaved pages..."), {});
    file->addSeparator();
    ExitAction = AddAction(file, "ExitAction", QStringLiteral("E&xit"),
                           {QKeySequence(Qt::CTRL | Qt::Key_Q)});

    QMenu* conversion = addMenu(QStringLiteral("&Conversion"));
    ConvertAction = AddAction(
        conversion, "ConvertAction", QStringLiteral("&Convert"),
        {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    ConvertAllAction =
        AddAction(conversion, "ConvertAllAction", QStringLiteral("Convert &all six pages"),
                  {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Return),
                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Enter)});
    StopAction = AddAction(conversion, "StopAction", QStringLiteral("&Stop"),
                           {QKeySequence(Qt::Key_Escape)});
    conversion->addSeparator();
    SameSettingsAction = AddAction(conversion, "SameSettingsAction",
                                   QStringLiteral("Same settings on every &page"), {});
    SameSettingsAction->setCheckable(true);
    TransformOptionsMenu = conversion->addMenu(QStringLiteral("&Transform options"));
    TransformOptionsMenu->setObjectName(QStringLiteral("TransformOptionsMenu"));

    QMenu* view = addMenu(QStringLiteral("&View"));
    ZoomInAction =
        AddAction(view, "ZoomInAction", QStringLiteral("Zoom &in"),
                  {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    ZoomOutAction = AddAction(view, "ZoomOutAction", QStringLiteral("Zoom &out"),
                              {QKeySequence(Qt::CTRL | Qt::Key_Minus)});
    FitSideAction = AddAction(view, "FitSideAction", QStringLiteral("Fit side to image"),
                              {QKeySequence(Qt::CTRL | Qt::Key_0)});
    ShowGridAction = AddAction(view, "ShowGridAction", QStringLiteral("Show &grid"),
                               {QKeySequence(Qt::CTRL | Qt::Key_G)});
    ShowGridAction->setCheckable(true);
    LivePreviewAction = AddAction(view, "LivePreviewAction", QStringLiteral("Live preview"), {});
    LivePreviewAction->setCheckable(true);
    view->addSeparator();
    NextPageAction = AddAction(view, "NextPageAction", QStringLiteral("&Next page"),
                               {QKeySequence(Qt::CTRL | Qt::Key_Tab)});
    PreviousPageAction = AddAction(view, "PreviousPageAction", QStringLiteral("&Previous page"),
                                   // Shown as typed; the key arrives as Backtab with Shift.
                                   {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
                                    QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab)});

    QMenu* help = addMenu(QStringLiteral("&Help"));
    AboutAction =
        AddAction(help, "AboutAction", QStringLiteral("&About..."), {QKeySequence(Qt::Key_F1)});
}
