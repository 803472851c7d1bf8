#pragma once

#include <QProgressBar>

// A progress bar whose position is held within its range: a value past the
// end shows, and reads back, as the end.
class ProgressBar : public QProgressBar {
    Q_OBJECT

public:
    explicit ProgressBar(QWidget* parent = nullptr);

    int Position() const { return value(); }
    void SetPosition(int position);
};
