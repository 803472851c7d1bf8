#include "TileGrid.h"

#include "Canvas.h"

void DrawTileGrid(Canvas& canvas, int width, int bottom, int tilesPerSide) {
    if (tilesPerSide < 1) {
        return;
    }
    const int step = width / tilesPerSide;
    if (step < 1) {
        return;
    }
    canvas.SetPenMode(Canvas::PenMode::Not);
    for (int a = step; a < width; a += step) {
        canvas.MoveTo(0, a);
        canvas.LineTo(width, a);
        canvas.MoveTo(a, bottom);
        canvas.LineTo(a, 0);
    }
    canvas.SetPenMode(Canvas::PenMode::Copy);
    canvas.Changed();
}
