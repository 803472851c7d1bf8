#pragma once

class Canvas;

// Draws the lines of a grid of tilesPerSide tiles per side over a picture
// width pixels wide, vertical lines running from bottom up to the top. The
// lines invert what they cover, so drawing the same grid twice removes it.
// The spacing is width / tilesPerSide; a spacing of 0 draws nothing.
void DrawTileGrid(Canvas& canvas, int width, int bottom, int tilesPerSide);
