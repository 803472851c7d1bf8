#pragma once

#include <QImage>
#include <QString>

// Image files as the program opens and saves them. Bitmaps go through our own
// reader and writer (BitmapFile); PNG, JPEG, TIFF, WebP and PPM/PGM/PBM through
// Qt's image plugins. Every failure throws ImageFileError, whose message is the
// reason in lower case ("truncated jpeg file"). Filters are written as FileFilter.h
// says, several masks of one entry joined by ';' as FileListBox takes them.

enum class ImageFormat { Bmp, Png };

// The open dialog's and the browser's filter; the first entry, bitmaps, is the
// default, the second lists every format that opens.
QString ImageOpenFilter();
// The save dialog's filter: bitmaps first, then PNG.
QString ImageSaveFilter();

// Reads an image, its format decided by the content, not the name. Images over
// 16384 pixels a side (so over 256 Mi pixels), like our bitmap reader refuses,
// are refused before their pixels are allocated; so are truncated and damaged
// files. Transparent parts are composed on white, deep images reduced to 8 bits
// a channel, grey made grey RGB, and EXIF orientation applied: the result is
// always QImage::Format_RGB32.
QImage LoadImageFile(const QString& path);

// The format to save path in: that of its .bmp or .png extension, else that of
// the save filter chosen (Qt's form, "PNG files (*.png)"), else BMP.
ImageFormat SaveFormatFor(const QString& path, const QString& selectedFilter);

// Writes image (any format; saved as 24-bit RGB) through a temporary file that
// replaces path only when complete, so a failure leaves any old file intact.
void SaveImageFile(const QImage& image, const QString& path, ImageFormat format);
