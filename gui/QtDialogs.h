#pragma once

#include "Dialogs.h"

// The real dialogs and message boxes, over Qt's.
class QtDialogs : public Dialogs {
public:
    QString OpenFileName(QWidget* parent, const QString& title, const QString& directory,
                         const QString& filter) override;
    QStringList OpenFileNames(QWidget* parent, const QString& title, const QString& directory,
                              const QString& filter) override;
    QString SaveFileName(QWidget* parent, const QString& title, const QString& directory,
                         const QString& filter, QString* selectedFilter = nullptr) override;
    QString ExistingDirectory(QWidget* parent, const QString& title,
                              const QString& directory) override;
    Answer Question(QWidget* parent, const QString& title, const QString& text) override;
    void Message(QWidget* parent, const QString& title, const QString& text) override;
    void RunModal(QDialog& dialog) override;
};
