#include "PageControl.h"

#include <QTabBar>

namespace {

class ElidingTabBar : public QTabBar {
public:
    using QTabBar::QTabBar;

protected:
    // Only the widest caption (the loaded file's path) may be elided, and only when it is wider
    // than an even share of the bar; the others keep their full captions.
    QSize minimumTabSizeHint(int index) const override {
        const QSize full = tabSizeHint(index);
        const int share = count() > 0 ? width() / count() : full.width();
        int widest = 0;
        for (int i = 1; i < count(); ++i) {
            if (tabSizeHint(i).width() > tabSizeHint(widest).width()) {
                widest = i;
            }
        }
        if (index != widest || full.width() <= share) {
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
