#include "Canvas.h"

#include <cstdlib>
#include <utility>

namespace {

bool Inside(const QImage& image, int x, int y) {
    return x >= 0 && y >= 0 && x < image.width() && y < image.height();
}

// QImage's RGB32 pixels are 0xffRRGGBB; a COLORREF is 0x00BBGGRR.
std::uint32_t ToColorRef(QRgb rgb) {
    return (rgb >> 16 & 0xFFu) | (rgb & 0xFF00u) | (rgb & 0xFFu) << 16;
}

QRgb FromColorRef(std::uint32_t c) {
    return 0xFF000000u | (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
}

} // namespace

Canvas::Canvas(QImage* image, std::function<void()> changed)
    : image(image), changed(std::move(changed)) {}

std::uint32_t Canvas::GetPixel(int x, int y) const {
    if (!image || !Inside(*image, x, y)) {
        return InvalidColor;
    }
    const auto* line = reinterpret_cast<const QRgb*>(image->constScanLine(y));
    return ToColorRef(line[x]);
}

void Canvas::SetPixel(int x, int y, std::uint32_t colorRef) {
    if (!image || !Inside(*image, x, y)) {
        return;
    }
    reinterpret_cast<QRgb*>(image->scanLine(y))[x] = FromColorRef(colorRef);
}

void Canvas::SetPixels(int x, int y, std::uint32_t colorRef) {
    SetPixel(x, y, colorRef);
    Changed();
}

void Canvas::Changed() const {
    if (changed) {
        changed();
    }
}

void Canvas::MoveTo(int x, int y) {
    pen = QPoint(x, y);
}

void Canvas::Plot(int x, int y) {
    if (!image || !Inside(*image, x, y)) {
        return;
    }
    auto& pixel = reinterpret_cast<QRgb*>(image->scanLine(y))[x];
    pixel = penMode == PenMode::Not ? (~pixel | 0xFF000000u) : 0xFF000000u;
}

void Canvas::LineTo(int x, int y) {
    // Bresenham from the pen to (x, y); the end point itself is not drawn, so
    // lines joined end to start cover each pixel once.
    int x0 = pen.x(), y0 = pen.y();
    const int dx = std::abs(x - x0), sx = x0 < x ? 1 : -1;
    const int dy = -std::abs(y - y0), sy = y0 < y ? 1 : -1;
    int err = dx + dy;
    while (x0 != x || y0 != y) {
        Plot(x0, y0);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
    pen = QPoint(x, y);
}
