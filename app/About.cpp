#include "About.h"

#include <QPushButton>
#include <QStyle>
#include <QTextEdit>
#include <QVBoxLayout>

TAboutDialog::TAboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("AboutDialog"));
    setWindowTitle(QStringLiteral("About ..."));

    AboutMemo = new QTextEdit(this);
    AboutMemo->setObjectName(QStringLiteral("AboutMemo"));
    AboutMemo->setReadOnly(true);
    AboutMemo->setFrameShape(QFrame::NoFrame);
    AboutMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    AboutMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    AboutMemo->setPlainText(QStringLiteral("Program created to compare \n"
                                           "Fourier & wavelet transform \n"
                                           "image compression properties "));
    AboutMemo->selectAll();
    AboutMemo->setAlignment(Qt::AlignHCenter);
    AboutMemo->moveCursor(QTextCursor::Start);
    QPalette memoPalette = AboutMemo->palette();
    memoPalette.setColor(QPalette::Text, palette().color(QPalette::Active, QPalette::Highlight));
    memoPalette.setColor(QPalette::Base, palette().color(QPalette::Window));
    AboutMemo->setPalette(memoPalette);
    const QFontMetrics metrics(AboutMemo->font());
    AboutMemo->setFixedHeight(metrics.lineSpacing() * 3 + 2 * metrics.height() / 2);
    AboutMemo->setMinimumWidth(
        metrics.horizontalAdvance(QStringLiteral("image compression properties ")) + 24);

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                              QStringLiteral("Quillet'97"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &TAboutDialog::BitBtn1Click);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(AboutMemo);
    layout->addWidget(BitBtn1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TAboutDialog::BitBtn1Click() {
    accept();
}
