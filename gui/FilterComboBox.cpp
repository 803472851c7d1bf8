#include "FilterComboBox.h"

#include "FileFilter.h"

FilterComboBox::FilterComboBox(const QString& filter, QWidget* parent) : QComboBox(parent) {
    for (const FileFilterEntry& entry : ParseFileFilter(filter)) {
        addItem(entry.Description, entry.Masks);
    }
    connect(this, &QComboBox::currentIndexChanged, this, [this] { emit MaskChanged(Mask()); });
}

QString FilterComboBox::Mask() const {
    return currentData().toString();
}
