#pragma once

#include <Qt>

class ImageView;

// A left click doubles the image control's size and a right click halves it, while its longer
// side stays at most largest and its shorter at least smallest; other buttons do nothing.
void ZoomImage(ImageView& image, Qt::MouseButton button, int smallest, int largest);
