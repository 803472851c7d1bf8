#pragma once

#include "FileFilter.h"

#include <QList>
#include <QString>

class QWidget;

// An open or save dialog that keeps its title, filter, last file name and, for
// saving, the filter last chosen; it runs through the installed Dialogs.
class FileDialog {
public:
    enum class Kind { Open, Save };

    // filter as FileFilter.h writes it, "Bitmap files (*.bmp)|*.bmp".
    // A saved name without an extension gets the chosen filter's, when its mask
    // is one "*.ext", else defaultExtension ("*.bmp").
    FileDialog(Kind kind, const QString& title, const QString& filter,
               const QString& defaultExtension);

    // Returns whether the user confirmed; FileName() is then the chosen path.
    bool Execute(QWidget* parent);

    void SetTitle(const QString& newTitle) { title = newTitle; }
    // The file name (without a folder) the next dialogs offer, in the folder of the last chosen
    // file (the current folder before one); empty offers none.
    void SetSuggestedName(const QString& name) { suggestedName = name; }
    QString FileName() const { return fileName; }
    // The filter in Qt's form, "Bitmap files (*.bmp)".
    QString QtFilter() const;
    // The entry of the filter chosen in the last confirmed save dialog, in
    // Qt's form ("PNG files (*.png)"); the first entry until then.
    QString SelectedFilter() const { return selectedFilter; }

private:
    QString ExtensionFor(const QString& chosenFilter) const;

    Kind kind;
    QString title;
    QList<FileFilterEntry> filter;
    QString defaultExtension;
    QString fileName;
    QString suggestedName;
    QString selectedFilter;
};
