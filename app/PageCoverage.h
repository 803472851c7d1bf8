#pragma once

class QImage;
class QString;
struct TransformPage;

// Says what the page's next conversion covers, in its coverage line ("Converts 256 x 256 of
// 400 x 300 px, tiles of 32 px"), and outlines the square on its image where it leaves part of
// the picture out. loaded is the image to convert, null before one is loaded, and loadedPath
// its file: while the page still shows a result of another image, the line names that image.
void ShowCoverage(TransformPage& page, const QImage& loaded, const QString& loadedPath);
