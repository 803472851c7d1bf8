#pragma once

#include "Dialogs.h"

#include <QStringList>

#include <deque>
#include <functional>

// Dialogs that tests answer in advance: no test ever waits on a modal loop.
// Every call is recorded; an unanswered file dialog counts as cancelled, an
// unanswered question as Cancel.
class FakeDialogs : public Dialogs {
public:
    struct Shown {
        QString title;
        QString text;
    };

    std::deque<QString> openAnswers;
    std::deque<QString> saveAnswers;
    std::deque<Answer> questionAnswers;
    // Called for every message, e.g. to check the state at that moment.
    std::function<void(const Shown&)> onMessage;

    QStringList openTitles;
    QStringList saveTitles;
    std::vector<Shown> questions;
    std::vector<Shown> messages;
    int modalRuns = 0;

    QString OpenFileName(QWidget*, const QString& title, const QString&, const QString&) override;
    QString SaveFileName(QWidget*, const QString& title, const QString&, const QString&) override;
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
