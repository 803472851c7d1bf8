#pragma once

#include <QComboBox>

// The file system roots (drives); choosing one opens its root folder.
class DriveComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit DriveComboBox(QWidget* parent = nullptr);

    // Shows the drive that holds path.
    void SetDriveOf(const QString& path);

signals:
    void DriveChanged(const QString& root);
};
