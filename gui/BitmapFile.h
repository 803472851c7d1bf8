#pragma once

#include <QImage>
#include <QString>

// Loading and saving Windows bitmaps as in-memory 32-bit RGB images. Both throw
// BmpError, whose message is the reason ("truncated pixel data").
QImage LoadBitmap(const QString& path);
void SaveBitmap(const QImage& image, const QString& path);
