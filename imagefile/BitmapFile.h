#pragma once

#include "BmpImage.h"

#include <QImage>
#include <QString>

// Loading and saving Windows bitmaps as in-memory 32-bit RGB images. Both throw
// BmpError, whose message is the reason ("truncated pixel data").
QImage LoadBitmap(const QString& path);
// The decoded bitmap as an image, its pixels taken over, not copied.
QImage BitmapImage(BmpImage&& bmp);
void SaveBitmap(const QImage& image, const QString& path);
