#include "AppIcon.h"

#include <QImage>
#include <QPixmap>

#include <cmath>

QIcon MakeAppIcon() {
    QIcon icon;
    for (const int side : {16, 32, 48}) {
        // Four 2-D cosine basis functions of rising frequency, one per quadrant.
        QImage image(side, side, QImage::Format_RGB32);
        const int half = side / 2;
        const double pi = 3.141592653589793;
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                const int quadrant = (y >= half) * 2 + (x >= half);
                const int u = 1 + quadrant, v = 1 + (quadrant + 1) / 2;
                const double value = std::cos(pi * u * ((x % half) + 0.5) / half) *
                                     std::cos(pi * v * ((y % half) + 0.5) / half);
                const int level = static_cast<int>(127.5 + 127.5 * value);
                image.setPixel(x, y, qRgb(level / 3, level * 2 / 3 + 40, 255 - level / 2));
            }
        }
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}
