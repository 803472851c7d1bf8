#include "ProgressBar.h"

#include <algorithm>

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) {
    setTextVisible(false);
}

void ProgressBar::SetPosition(int position) {
    // QProgressBar ignores a value outside its range instead of holding it.
    setValue(std::clamp(position, minimum(), maximum()));
}
