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
    : kind(kind), title(title), filter(ParseFileFilter(filter)), defaultExtension(defaultExtension),
      selectedFilter(this->filter.isEmpty() ? QString() : this->filter.first().Description) {}

QString FileDialog::QtFilter() const {
    QStringList descriptions;
    for (const FileFilterEntry& entry : filter) {
        descriptions << entry.Description;
    }
    return descriptions.join(QStringLiteral(";;"));
}

QString FileDialog::ExtensionFor(const QString& chosenFilter) const {
    for (const FileFilterEntry& entry : filter) {
        const QString extension = ExtensionOf(entry.Masks);
        if (entry.Description == chosenFilter && !extension.isEmpty()) {
            return extension;
        }
    }
    QString extension = defaultExtension;
    extension.remove('*');
    return extension;
}

bool FileDialog::Execute(QWidget* parent) {
    const QString folder =
        fileName.isEmpty() ? QDir::currentPath() : QFileInfo(fileName).absolutePath();
    // Qt's dialogs take a path in the folder as the name to offer.
    const QString directory =
        suggestedName.isEmpty() ? folder : QDir(folder).filePath(suggestedName);
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
