#include "ImageName.h"

#include <QFileInfo>

QString ImageNameOf(const QString& path) {
    return path.isEmpty() ? QStringLiteral("white square") : QFileInfo(path).fileName();
}
