#pragma once

#include "ImageFormats.h"

#include <QString>

// The file filters of the image dialogs and the browser, written as FileFilter.h says, several
// masks of one entry joined by ';' as FileListBox takes them.

// The open dialog's and the browser's filter; the first entry, bitmaps, is the default, the
// second lists every format that opens.
QString ImageOpenFilter();
// The save dialog's filter: bitmaps first, then PNG.
QString ImageSaveFilter();

// The format to save path in: that of its .bmp or .png extension, else that of the save filter
// chosen (Qt's form, "PNG files (*.png)"), else BMP.
ImageFormat SaveFormatFor(const QString& path, const QString& selectedFilter);
