#include "PageControl.h"

#include <QTabBar>

namespace {

class ElidingTabBar : public QTabBar {
public:
    using QTabBar::QTabBar;

protected:
    // A tab may shrink to its full caption only if that is at most an even
    // share of the bar, so only overlong captions are elided.
    QSize minimumTabSizeHint(int index) const override {
        const QSize full = tabSizeHint(index);
        const int share = count() > 0 ? width() / count() : full.width();
        if (full.width() <= share) {
            return full;
        }
        return QTabBar::minimumTabSizeHint(index);
    }
};

} // namespace

PageControl::PageControl(QWidget* parent) : QTabWidget(parent) {
    setTabBar(new ElidingTabBar(this));
    setUsesScrollButtons(false);
    setElideMode(Qt::ElideLeft);
}
