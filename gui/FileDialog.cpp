#include "FileDialog.h"

#include "Dialogs.h"

#include <QDir>
#include <QFileInfo>

FileDialog::FileDialog(Kind kind, const QString& title, const QString& filter,
                       const QString& defaultExtension)
    : kind(kind), title(title), filter(filter), defaultExtension(defaultExtension) {}

QString FileDialog::QtFilter() const {
    // "Description|mask|Description|mask" becomes one Qt filter per pair.
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i];
    return filters.join(QStringLiteral(";;"));
}

bool FileDialog::Execute(QWidget* parent) {
    const QString directory =
        fileName.isEmpty() ? QDir::currentPath() : QFileInfo(fileName).absolutePath();
    QString chosen = kind == Kind::Open
                         ? Dialogs::Current().OpenFileName(parent, title, directory, QtFilter())
                         : Dialogs::Current().SaveFileName(parent, title, directory, QtFilter());
    if (chosen.isEmpty())
        return false;
    if (kind == Kind::Save && QFileInfo(chosen).suffix().isEmpty()) {
        QString extension = defaultExtension;
        extension.remove('*');
        chosen += extension;
    }
    fileName = chosen;
    return true;
}
