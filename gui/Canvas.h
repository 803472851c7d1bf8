#pragma once

#include <QImage>
#include <QPoint>

#include <cstdint>
#include <functional>

// Drawing on a bitmap with the few operations the program relies on: pixel
// reads and writes in COLORREF layout (0x00BBGGRR, red in the low byte) and
// one-pixel lines that either paint black (the pen's only colour) or invert
// what they cover.
class Canvas {
public:
    enum class PenMode { Copy, Not };

    // What a pixel read outside the bitmap returns: every channel reads 255.
    static constexpr std::uint32_t InvalidColor = 0xFFFFFFFFu;

    // The canvas draws on *image, which must outlive it. changed, if set, is
    // called when a pixel is assigned through SetPixels, so a view can repaint.
    explicit Canvas(QImage* image, std::function<void()> changed = {});

    std::uint32_t GetPixel(int x, int y) const;
    // Ignored outside the bitmap. Does not notify: a whole pass of pixel writes
    // should repaint once, not per pixel.
    void SetPixel(int x, int y, std::uint32_t colorRef);
    // Assigns one pixel and marks the picture as changed.
    void SetPixels(int x, int y, std::uint32_t colorRef);

    void MoveTo(int x, int y);
    // Draws from the pen position up to, but not including, (x, y); the pen
    // ends at (x, y).
    void LineTo(int x, int y);
    void SetPenMode(PenMode mode) { penMode = mode; }
    PenMode GetPenMode() const { return penMode; }

    // Tells the view that pixels changed (after SetPixel or line drawing).
    void Changed() const;

    // The bitmap drawn on, for passes over all of its pixels; may be null.
    QImage* Image() const { return image; }

private:
    void Plot(int x, int y);

    QImage* image;
    std::function<void()> changed;
    QPoint pen;
    PenMode penMode = PenMode::Copy;
};

// A framework colour as a COLORREF; plain RGB values pass unchanged. Kept as
// specified: the program writes only plain RGB values, so only tests call it.
inline std::uint32_t ColorToRGB(std::uint32_t color) {
    return color & 0x00FFFFFFu;
}
