#include "ToolButton.h"

#include <QToolButton>
#include <QWidget>

QToolButton* MakeToolButton(QWidget* parent, const char* name, const QString& text,
                            const QString& tip, QStyle::StandardPixmap icon) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setToolTip(tip);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return button;
}
