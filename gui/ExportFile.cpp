#include "ExportFile.h"

#include "Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

void ExportFile(QWidget* parent, const QString& title, const QString& filter, const QString& suffix,
                const std::function<QByteArray()>& contents) {
    QString path = Dialogs::Current().SaveFileName(parent, title, QDir::currentPath(), filter);
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += '.' + suffix;
    }
    const QByteArray bytes = contents();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        Dialogs::Current().Message(parent, QApplication::applicationName(),
                                   QStringLiteral("Cannot save %1: %2")
                                       .arg(QFileInfo(path).fileName(), file.errorString()));
    }
}
