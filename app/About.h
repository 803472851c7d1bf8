#pragma once

#include <QDialog>

class QPushButton;
class QTextEdit;

// The About box: what the program is for, and one button that closes it.
class TAboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit TAboutDialog(QWidget* parent = nullptr);

    void BitBtn1Click();

private:
    QTextEdit* AboutMemo;
    QPushButton* BitBtn1;
};
