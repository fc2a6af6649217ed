#include "pagecontrol.h"

namespace quorvel {

PageControl::PageControl(QWidget *parent) : QTabWidget(parent)
{
    auto *bar = new FixedWidthTabBar(this);
    bar->setExpanding(false);
    bar->setElideMode(Qt::ElideNone);
    bar->setUsesScrollButtons(false);
    setTabBar(bar);
}

int PageControl::tabWidth() const
{
    return static_cast<FixedWidthTabBar *>(tabBar())->fixedWidth;
}

void PageControl::setTabWidth(int width)
{
    static_cast<FixedWidthTabBar *>(tabBar())->fixedWidth = width;
    tabBar()->updateGeometry();
}

} // namespace quorvel
