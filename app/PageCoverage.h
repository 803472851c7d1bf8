#pragma once

class QImage;
struct TransformPage;

// Says what the page's next conversion covers, in its coverage line ("Converts 256 x 256 of
// 400 x 300 px, tiles of 32 px"), and outlines the square on its image where it leaves part of
// the picture out. loaded is the image to convert, null before one is loaded.
void ShowCoverage(TransformPage& page, const QImage& loaded);
