#include "ImageFileFilter.h"

#include "FileFilter.h"

#include <QStringList>

namespace {

QString Masks(const ImageFileType& type) {
    QStringList masks;
    for (std::string_view extension : type.Extensions) {
        if (!extension.empty()) {
            masks << QLatin1Char('*') + QString::fromLatin1(extension.data(), extension.size());
        }
    }
    return masks.join(';');
}

FileFilterEntry FilterEntry(const QString& description, const QString& masks) {
    QString shown = masks;
    shown.replace(';', ' ');
    return {QStringLiteral("%1 (%2)").arg(description, shown), masks};
}

FileFilterEntry FilterEntry(const ImageFileType& type) {
    return FilterEntry(QString::fromLatin1(type.Description.data(), type.Description.size()),
                       Masks(type));
}

} // namespace

QString ImageOpenFilter() {
    QList<FileFilterEntry> entries;
    QStringList masks;
    for (const ImageFileType& type : ImageFileTypes) {
        entries << FilterEntry(type);
        masks << Masks(type);
    }
    entries.insert(1, FilterEntry(QStringLiteral("All images"), masks.join(';')));
    return FileFilterText(entries);
}

QString ImageSaveFilter() {
    QList<FileFilterEntry> entries;
    for (ImageFormat format : SaveFormats) {
        entries << FilterEntry(FileTypeOf(format));
    }
    return FileFilterText(entries);
}

ImageFormat SaveFormatFor(const QString& path, const QString& selectedFilter) {
    const ImageFileType* named = ImageFileTypeOfName(path.toStdString());
    for (ImageFormat format : SaveFormats) {
        if (named == &FileTypeOf(format)) {
            return format;
        }
    }
    for (ImageFormat format : SaveFormats) {
        if (FilterEntry(FileTypeOf(format)).Description == selectedFilter) {
            return format;
        }
    }
    return ImageFormat::Bmp;
}
