#include "ImageZoom.h"

#include "ImageView.h"

#include <algorithm>

void ZoomImage(ImageView& image, Qt::MouseButton button, int smallest, int largest) {
    int width = image.width();
    int height = image.height();
    if (button == Qt::LeftButton) {
        if (std::max(width, height) * 2 > largest) {
            return;
        }
        width *= 2;
        height *= 2;
    } else if (button == Qt::RightButton) {
        if (std::min(width, height) / 2 < smallest) {
            return;
        }
        width /= 2;
        height /= 2;
    } else {
        return;
    }
    image.SetControlSize(width, height);
}
