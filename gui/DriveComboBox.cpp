#include "DriveComboBox.h"

#include <QDir>
#include <QStyle>

DriveComboBox::DriveComboBox(QWidget* parent) : QComboBox(parent) {
    const QIcon glyph = style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const QFileInfo& drive : QDir::drives()) {
        addItem(glyph, drive.absolutePath());
    }
    connect(this, &QComboBox::activated, this,
            [this](int index) { emit DriveChanged(itemText(index)); });
}

void DriveComboBox::SetDriveOf(const QString& path) {
    const QString absolute = QDir(path).absolutePath();
    int best = -1;
    for (int i = 0; i < count(); ++i) {
        if (absolute.startsWith(itemText(i), Qt::CaseInsensitive) &&
            (best < 0 || itemText(i).size() > itemText(best).size())) {
            best = i;
        }
    }
    if (best >= 0) {
        setCurrentIndex(best);
    }
}
