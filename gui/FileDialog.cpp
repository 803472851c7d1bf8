#include "FileDialog.h"

#include "Dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// ".png" for the mask "*.png"; empty for "*.*" or several masks.
QString ExtensionOf(const QString& mask) {
    static const QRegularExpression single(QStringLiteral("^\\*(\\.[^*?;]+)$"));
    return single.match(mask).captured(1);
}

} // namespace

FileDialog::FileDialog(Kind kind, const QString& title, const QString& filter,
                       const QString& defaultExtension)
    : kind(kind), title(title), filter(filter), defaultExtension(defaultExtension),
      selectedFilter(filter.section('|', 0, 0)) {}

QString FileDialog::QtFilter() const {
    // "Description|mask|Description|mask" becomes one Qt filter per pair.
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        filters << parts[i];
    }
    return filters.join(QStringLiteral(";;"));
}

QString FileDialog::ExtensionFor(const QString& chosenFilter) const {
    const QStringList parts = filter.split('|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString extension = ExtensionOf(parts[i + 1]);
        if (parts[i] == chosenFilter && !extension.isEmpty()) {
            return extension;
        }
    }
    QString extension = defaultExtension;
    extension.remove('*');
    return extension;
}

bool FileDialog::Execute(QWidget* parent) {
    const QString directory =
        fileName.isEmpty() ? QDir::currentPath() : QFileInfo(fileName).absolutePath();
    QString chosenFilter = selectedFilter;
    QString chosen =
        kind == Kind::Open
            ? Dialogs::Current().OpenFileName(parent, title, directory, QtFilter())
            : Dialogs::Current().SaveFileName(parent, title, directory, QtFilter(), &chosenFilter);
    if (chosen.isEmpty()) {
        return false;
    }
    if (kind == Kind::Save && QFileInfo(chosen).suffix().isEmpty()) {
        chosen += ExtensionFor(chosenFilter);
    }
    fileName = chosen;
    selectedFilter = chosenFilter;
    return true;
}
