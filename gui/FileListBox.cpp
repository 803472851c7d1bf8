#include "FileListBox.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QStyle>

FileListBox::FileListBox(QWidget* parent)
    : QListWidget(parent), directory(QDir::currentPath()), mask(QStringLiteral("*.*")) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    connect(this, &QListWidget::itemClicked, this, &FileListBox::Click);
    connect(this, &QListWidget::itemActivated, this, &FileListBox::DblClick);
}

void FileListBox::SetDirectory(const QString& path) {
    directory = QDir(path).absolutePath();
    Update();
}

void FileListBox::SetMask(const QString& newMask) {
    mask = newMask;
    Update();
}

void FileListBox::Update() {
    clear();
    const QStringList masks = mask.split(';', Qt::SkipEmptyParts);
    const QStringList names = QDir(directory).entryList(masks, QDir::Files | QDir::Readable,
                                                        QDir::Name | QDir::IgnoreCase);
    const QIcon glyph = style()->standardIcon(QStyle::SP_FileIcon);
    for (const QString& name : names) {
        addItem(new QListWidgetItem(glyph, name));
    }
}

QString FileListBox::FileName() const {
    const QListWidgetItem* item = currentItem();
    if (!item || !item->isSelected()) {
        return {};
    }
    return QDir(directory).absoluteFilePath(item->text());
}

bool FileListBox::SelectFile(const QString& name) {
    const auto found = findItems(name, Qt::MatchFixedString);
    if (found.isEmpty()) {
        return false;
    }
    setCurrentItem(found.first());
    return true;
}

void FileListBox::keyPressEvent(QKeyEvent* event) {
    const QListWidgetItem* before = currentItem();
    QListWidget::keyPressEvent(event);
    if (currentItem() && currentItem() != before) {
        emit Click();
    }
}
