#include "FakeDialogs.h"

#include <QDialog>

namespace {

template <typename T>
T Next(std::deque<T>& answers, T none) {
    if (answers.empty()) {
        return none;
    }
    T answer = answers.front();
    answers.pop_front();
    return answer;
}

} // namespace

QString FakeDialogs::OpenFileName(QWidget*, const QString& title, const QString&, const QString&) {
    openTitles << title;
    return Next(openAnswers, QString());
}

QStringList FakeDialogs::OpenFileNames(QWidget*, const QString& title, const QString&,
                                       const QString&) {
    openTitles << title;
    return Next(openManyAnswers, QStringList());
}

QString FakeDialogs::SaveFileName(QWidget*, const QString& title, const QString& directory,
                                  const QString& filter, QString* selectedFilter) {
    saveTitles << title;
    saveDirectories << directory;
    saveFilters << filter;
    if (selectedFilter) {
        const QString shown = selectedFilter->isEmpty() ? filter.section(QStringLiteral(";;"), 0, 0)
                                                        : *selectedFilter;
        *selectedFilter = Next(saveFilterAnswers, shown);
    }
    return Next(saveAnswers, QString());
}

QString FakeDialogs::ExistingDirectory(QWidget*, const QString& title, const QString&) {
    directoryTitles << title;
    return Next(directoryAnswers, QString());
}

Dialogs::Answer FakeDialogs::Question(QWidget*, const QString& title, const QString& text) {
    questions.push_back({title, text});
    return Next(questionAnswers, Answer::Cancel);
}

void FakeDialogs::Message(QWidget*, const QString& title, const QString& text) {
    messages.push_back({title, text});
    if (onMessage) {
        onMessage(messages.back());
    }
}

void FakeDialogs::RunModal(QDialog& dialog) {
    // Shown without a modal loop; the test presses the dialog's buttons.
    ++modalRuns;
    dialog.show();
}

FakeDialogsScope::FakeDialogsScope() {
    auto owned = std::make_unique<FakeDialogs>();
    fake = owned.get();
    previous = Dialogs::Install(std::move(owned));
}

FakeDialogsScope::~FakeDialogsScope() {
    Dialogs::Install(std::move(previous));
}
