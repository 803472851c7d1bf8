#pragma once

#include "TransformPage.h"

#include <QStringList>

class QImage;

// View > Fit side to image: every page converts the smallest square that holds the loaded
// image, the side tarvish-batch picks, instead of padding a small image with white.

// That side for image: the smallest power of two at least its larger dimension, within the
// zoom's limits (TMainWindow::MinimumImageSide to MaximumImageSide).
int FittedSide(const QImage& image);

// Gives every page the side, as the zoom does, except a page whose conversion at that side
// would not fit in memory even with no other conversion running: it keeps its side, and the
// reason, which names its page (captions, in page order), is returned. A page left smaller
// converts part of the image, one given the side would be refused at Convert; keeping the
// side it has leaves the choice to the user. A smaller side never needs more memory, so
// shrinking is never refused.
QStringList FitPageSides(TransformPages& pages, int side, const QImage& picture,
                         const QStringList& captions);
