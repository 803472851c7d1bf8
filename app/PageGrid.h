#pragma once

class QImage;
struct TransformPage;

// The tile grid over a page's image, drawn with inverting lines so that drawing it twice
// removes it.

// After the grid track bar moved: a page marked for reload that holds no result shows the
// loaded image again; the grid shown (when its box is ticked) changes to the bar's; and the grid
// label says the tile side ("Grid size: 32").
void RedrawPageGrid(TransformPage& page, const QImage& loaded);

// The grid label for the bar's tiles at the image's present size.
void ShowGridSize(TransformPage& page);

// Draws the bar's grid once more: shows it if it was hidden and hides it if it was shown.
void ToggleGrid(TransformPage& page);
