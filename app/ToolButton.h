#pragma once

#include <QString>
#include <QStyle>

class QToolButton;
class QWidget;

// A tool button with its object name, text, tooltip and a standard icon beside the text: the
// tabs' command buttons.
QToolButton* MakeToolButton(QWidget* parent, const char* name, const QString& text,
                            const QString& tip, QStyle::StandardPixmap icon);
