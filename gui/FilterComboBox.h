#pragma once

#include <QComboBox>

// File type filters from a filter as FileFilter.h writes it, "Bitmap files (*.bmp)|*.bmp".
class FilterComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit FilterComboBox(const QString& filter, QWidget* parent = nullptr);

    QString Mask() const;

signals:
    void MaskChanged(const QString& mask);
};
