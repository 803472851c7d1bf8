#include "SaveAllPlan.h"

#include "Dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

std::vector<SaveAllPlan::Target>
SaveAllPlan::Ask(QWidget* parent, const std::vector<std::pair<TransformPage*, QString>>& named,
                 const QString& startFolder) {
    if (named.empty()) {
        return {};
    }
    Dialogs& dialogs = Dialogs::Current();
    const QString folder = dialogs.ExistingDirectory(parent, Title(), startFolder);
    if (folder.isEmpty()) {
        return {};
    }
    const QDir dir(folder);
    QStringList names;
    QStringList existing;
    for (const auto& [page, name] : named) {
        names << name;
        if (QFileInfo::exists(dir.filePath(name))) {
            existing << name;
        }
    }
    if (dialogs.Question(parent, Title(),
                         QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(folder),
                                                      names.join(QStringLiteral(", ")))) !=
        Dialogs::Answer::Yes) {
        return {};
    }
    bool overwrite = true;
    if (!existing.isEmpty()) {
        const auto answer = dialogs.Question(
            parent, Title(),
            QStringLiteral("Already in %1: %2. Overwrite them? No saves the other pages only.")
                .arg(QDir::toNativeSeparators(folder), existing.join(QStringLiteral(", "))));
        if (answer == Dialogs::Answer::Cancel) {
            return {};
        }
        overwrite = answer == Dialogs::Answer::Yes;
    }
    std::vector<Target> targets;
    for (const auto& [page, name] : named) {
        if (overwrite || !existing.contains(name)) {
            targets.push_back({page, dir.filePath(name)});
        }
    }
    return targets;
}
