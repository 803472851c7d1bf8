#include "QtDialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

QString QtDialogs::OpenFileName(QWidget* parent, const QString& title, const QString& directory,
                                const QString& filter) {
    return QFileDialog::getOpenFileName(parent, title, directory, filter);
}

QStringList QtDialogs::OpenFileNames(QWidget* parent, const QString& title,
                                     const QString& directory, const QString& filter) {
    return QFileDialog::getOpenFileNames(parent, title, directory, filter);
}

QString QtDialogs::SaveFileName(QWidget* parent, const QString& title, const QString& directory,
                                const QString& filter, QString* selectedFilter) {
    return QFileDialog::getSaveFileName(parent, title, directory, filter, selectedFilter);
}

QString QtDialogs::ExistingDirectory(QWidget* parent, const QString& title,
                                     const QString& directory) {
    return QFileDialog::getExistingDirectory(parent, title, directory);
}

Dialogs::Answer QtDialogs::Question(QWidget* parent, const QString& title, const QString& text) {
    const auto button = QMessageBox::question(
        parent, title, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
        QMessageBox::Yes);
    if (button == QMessageBox::Yes) {
        return Answer::Yes;
    }
    if (button == QMessageBox::No) {
        return Answer::No;
    }
    return Answer::Cancel;
}

void QtDialogs::Message(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::warning(parent, title, text);
}

void QtDialogs::RunModal(QDialog& dialog) {
    dialog.exec();
}
