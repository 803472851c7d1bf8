#pragma once

#include "ImageFormats.h"

#include <QByteArray>
#include <QImage>
#include <QString>

// Image files as the program opens and saves them, with Qt 6 Gui only: no widgets and no
// display, so that programs on machines without one read images exactly as the window does.
// Bitmaps go through our own reader and writer (BitmapFile); PNG, JPEG, TIFF, WebP and
// PPM/PGM/PBM through Qt's image plugins. Every failure throws ImageFileError, whose message is
// the reason in lower case ("truncated jpeg file").

// Reads an image, its format decided by the content, not the name. Images over 16384 pixels a
// side (so over 256 Mi pixels), like our bitmap reader refuses, are refused before their pixels
// are allocated; so are truncated and damaged files. Transparent parts are composed on white,
// deep images reduced to 8 bits a channel, grey made grey RGB, and EXIF orientation applied:
// the result is always QImage::Format_RGB32.
QImage LoadImageFile(const QString& path);
// The same for a file's bytes already in memory; images over maxPixels (1 to 256 Mi) are
// refused too, before their pixels are allocated.
QImage LoadImageData(const QByteArray& data, qint64 maxPixels = qint64{1} << 28);

// image as Format_RGB32: transparent parts composed on white, as loaded images are (exactly
// c * a / 255 + 255 - a, rounded), grey made grey RGB.
QImage ComposedOnWhite(QImage image);

// Writes image (any format; saved as 24-bit RGB) through a temporary file that replaces path
// only when complete, so a failure leaves any old file intact.
void SaveImageFile(const QImage& image, const QString& path, ImageFormat format);
