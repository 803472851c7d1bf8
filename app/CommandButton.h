#pragma once

#include <QString>

class QIcon;
class QToolButton;
class QWidget;

// One of the window's command buttons: named, with its caption and glyph beside each other and
// its hint as tool tip, as wide as its place in the row allows.
QToolButton* MakeCommandButton(QWidget* parent, const char* name, const QString& text,
                               const QString& hint, const QIcon& glyph);
