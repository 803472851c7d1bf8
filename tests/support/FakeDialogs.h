#pragma once

#include "Dialogs.h"

#include <QStringList>

#include <deque>
#include <functional>

// Dialogs that tests answer in advance: no test ever waits on a modal loop.
// Every call is recorded; an unanswered file dialog counts as cancelled, an
// unanswered question as Cancel. A save dialog's chosen filter comes from
// saveFilterAnswers, else stays the one it was shown with (the first if none).
class FakeDialogs : public Dialogs {
public:
    struct Shown {
        QString title;
        QString text;
    };

    std::deque<QString> openAnswers;
    // Each answer of a dialog that opens several files.
    std::deque<QStringList> openManyAnswers;
    std::deque<QString> saveAnswers;
    // In Qt's form, "PNG files (*.png)".
    std::deque<QString> saveFilterAnswers;
    // Each answer of a folder dialog.
    std::deque<QString> directoryAnswers;
    std::deque<Answer> questionAnswers;
    // Called for every message, e.g. to check the state at that moment.
    std::function<void(const Shown&)> onMessage;

    QStringList openTitles;
    QStringList saveTitles;
    // The folder, or the suggested path, each save dialog was shown with.
    QStringList saveDirectories;
    QStringList directoryTitles;
    // The filters each save dialog offered.
    QStringList saveFilters;
    std::vector<Shown> questions;
    std::vector<Shown> messages;
    int modalRuns = 0;

    QString OpenFileName(QWidget*, const QString& title, const QString&, const QString&) override;
    QStringList OpenFileNames(QWidget*, const QString& title, const QString&,
                              const QString&) override;
    QString SaveFileName(QWidget*, const QString& title, const QString&, const QString& filter,
                         QString* selectedFilter = nullptr) override;
    QString ExistingDirectory(QWidget*, const QString& title, const QString&) override;
    Answer Question(QWidget*, const QString& title, const QString& text) override;
    void Message(QWidget*, const QString& title, const QString& text) override;
    void RunModal(QDialog& dialog) override;
};

// Installs a FakeDialogs for the life of the object.
class FakeDialogsScope {
public:
    FakeDialogsScope();
    ~FakeDialogsScope();
    FakeDialogs& operator*() { return *fake; }
    FakeDialogs* operator->() { return fake; }

private:
    FakeDialogs* fake;
    std::unique_ptr<Dialogs> previous;
};
