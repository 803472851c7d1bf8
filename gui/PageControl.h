#pragma once

#include <QTabWidget>

// Tabbed pages whose captions stay readable when they do not all fit: a long
// caption (a file's path) is shortened from the left, while a caption that fits
// in its share of the bar is never shortened.
class PageControl : public QTabWidget {
    Q_OBJECT

public:
    explicit PageControl(QWidget* parent = nullptr);
};
