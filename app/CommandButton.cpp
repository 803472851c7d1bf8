#include "CommandButton.h"

#include <QToolButton>

QToolButton* MakeCommandButton(QWidget* parent, const char* name, const QString& text,
                               const QString& hint, const QIcon& glyph) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setToolTip(hint);
    button->setIcon(glyph);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setMinimumHeight(25);
    return button;
}
