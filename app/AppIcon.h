#pragma once

#include <QIcon>

// The window icon: a few cosine basis tiles, drawn in code.
QIcon MakeAppIcon();
