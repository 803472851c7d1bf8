#pragma once

#include <QList>
#include <QString>

// A file type filter as the program writes it: entries of a description and its masks joined by
// '|', "Bitmap files (*.bmp)|*.bmp|All images (*.bmp *.png)|*.bmp;*.png", the masks of one
// entry joined by ';'. The description is what Qt's dialogs show, and return as the filter
// chosen.
struct FileFilterEntry {
    QString Description;
    QString Masks;
};

// The entries of filter, in order; a description without masks at the end is dropped.
QList<FileFilterEntry> ParseFileFilter(const QString& filter);
QString FileFilterText(const QList<FileFilterEntry>& entries);
