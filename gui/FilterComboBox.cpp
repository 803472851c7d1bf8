#include "FilterComboBox.h"

FilterComboBox::FilterComboBox(const QString& filter, QWidget* parent) : QComboBox(parent) {
    const QStringList parts = filter.split('|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        addItem(parts[i], parts[i + 1]);
    }
    connect(this, &QComboBox::currentIndexChanged, this, [this] { emit MaskChanged(Mask()); });
}

QString FilterComboBox::Mask() const {
    return currentData().toString();
}
