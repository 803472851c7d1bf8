#include "FileFilter.h"

#include <QStringList>

QList<FileFilterEntry> ParseFileFilter(const QString& filter) {
    const QStringList parts = filter.split('|');
    QList<FileFilterEntry> entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        entries.append({parts[i], parts[i + 1]});
    }
    return entries;
}

QString FileFilterText(const QList<FileFilterEntry>& entries) {
    QStringList parts;
    for (const FileFilterEntry& entry : entries) {
        parts << entry.Description << entry.Masks;
    }
    return parts.join('|');
}
