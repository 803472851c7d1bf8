#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QDialog;
class QWidget;

// Every modal dialog and message box of the program goes through the one
// installed Dialogs object, so tests can install their own and answer them
// without a real modal loop.
class Dialogs {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~Dialogs() = default;

    // The chosen file's path, or an empty string when the user cancelled.
    // filter is in Qt's form, "Bitmap files (*.bmp);;PNG files (*.png)".
    virtual QString OpenFileName(QWidget* parent, const QString& title, const QString& directory,
                                 const QString& filter) = 0;
    // The chosen files' paths (one or more), or none when the user cancelled.
    virtual QStringList OpenFileNames(QWidget* parent, const QString& title,
                                      const QString& directory, const QString& filter) = 0;
    // selectedFilter, when given, names the filter shown first (empty: the
    // first) and receives the one the user chose.
    virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& directory,
                                 const QString& filter, QString* selectedFilter = nullptr) = 0;
    // The chosen folder's path, or an empty string when the user cancelled; directory is the
    // folder shown first.
    virtual QString ExistingDirectory(QWidget* parent, const QString& title,
                                      const QString& directory) = 0;
    // A question with the buttons Yes, No and Cancel.
    virtual Answer Question(QWidget* parent, const QString& title, const QString& text) = 0;
    // A message with an OK button: errors and refusals.
    virtual void Message(QWidget* parent, const QString& title, const QString& text) = 0;
    // Shows dialog modally until it closes.
    virtual void RunModal(QDialog& dialog) = 0;

    static Dialogs& Current();
    // Installs dialogs and returns the one it replaces.
    static std::unique_ptr<Dialogs> Install(std::unique_ptr<Dialogs> dialogs);
};
