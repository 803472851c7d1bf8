#include "DirectoryListBox.h"

#include <QDir>
#include <QStyle>

namespace {

constexpr int PathRole = Qt::UserRole;

} // namespace

DirectoryListBox::DirectoryListBox(QWidget* parent) : QListWidget(parent) {
    setIconSize(QSize(16, 16));
    connect(this, &QListWidget::itemActivated, this, &DirectoryListBox::Open);
    SetDirectory(QDir::currentPath());
}

void DirectoryListBox::SetDirectory(const QString& path) {
    const QDir dir(path);
    if (!dir.exists()) {
        return;
    }
    const QString absolute = QDir::cleanPath(dir.absolutePath());
    const bool changed = absolute != directory;
    directory = absolute;

    clear();
    // The chain of folders from the root to the current one, each indented
    // one step further, then the subfolders one step further again.
    QStringList chain;
    for (QDir up(directory);;) {
        chain.prepend(up.absolutePath());
        if (!up.cdUp()) {
            break;
        }
    }
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    int depth = 0;
    for (const QString& folder : chain) {
        const QString name = depth == 0 ? folder : QDir(folder).dirName();
        auto* item = new QListWidgetItem(open, QString(depth * 2, ' ') + name);
        item->setData(PathRole, folder);
        addItem(item);
        ++depth;
    }
    setCurrentRow(count() - 1);
    const QStringList subfolders =
        QDir(directory).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : subfolders) {
        auto* item = new QListWidgetItem(closed, QString(depth * 2, ' ') + name);
        item->setData(PathRole, QDir(directory).absoluteFilePath(name));
        addItem(item);
    }
    if (changed) {
        emit DirectoryChanged(directory);
    }
}

void DirectoryListBox::Open(QListWidgetItem* item) {
    if (item) {
        SetDirectory(item->data(PathRole).toString());
    }
}
