#pragma once

#include <QString>

// How the tabs name the image a result was made from: its file name, or "white square" when
// the path is empty (converted before any image was loaded: the pages convert a white square).
QString ImageNameOf(const QString& path);
