#pragma once

#include <QString>

class QWidget;

// An open or save dialog that keeps its title, filter and last file name,
// and runs through the installed Dialogs.
class FileDialog {
public:
    enum class Kind { Open, Save };

    // filter is a description and a mask joined by '|', "Bitmap files (*.bmp)|*.bmp";
    // defaultExtension ("*.bmp") is added to a saved name that has no extension.
    FileDialog(Kind kind, const QString& title, const QString& filter,
               const QString& defaultExtension);

    // Returns whether the user confirmed; FileName() is then the chosen path.
    bool Execute(QWidget* parent);

    void SetTitle(const QString& newTitle) { title = newTitle; }
    QString FileName() const { return fileName; }
    // The filter in Qt's form, "Bitmap files (*.bmp)".
    QString QtFilter() const;

private:
    Kind kind;
    QString title;
    QString filter;
    QString defaultExtension;
    QString fileName;
};
