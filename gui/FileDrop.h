#pragma once

#include <QObject>
#include <QString>

#include <functional>

// Takes one local file dropped on a widget, while accepting() says the widget takes files:
// anything else dropped (several files, a web address) is refused as it is dragged in.
class FileDrop : public QObject {
    Q_OBJECT

public:
    FileDrop(QWidget* target, std::function<bool()> accepting);

signals:
    void Dropped(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<bool()> accepting;
};
