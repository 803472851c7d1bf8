#pragma once

#include <QListWidget>

// A folder browser: the folders from the root down to the current one, then
// the current folder's subfolders. Activating an entry opens that folder.
class DirectoryListBox : public QListWidget {
    Q_OBJECT

public:
    explicit DirectoryListBox(QWidget* parent = nullptr);

    QString Directory() const { return directory; }
    void SetDirectory(const QString& path);

signals:
    void DirectoryChanged(const QString& path);

private:
    void Open(QListWidgetItem* item);

    QString directory;
};
