#include "pagecontrol.h"

#include <QStyle>

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
    fitCaptions();
    tabBar()->updateGeometry();
}

void PageControl::tabInserted(int index)
{
    QTabWidget::tabInserted(index);
    fitCaptions();
}

void PageControl::fitCaptions()
{
    QFont font = this->font();
    font.setStretch(QFont::Unstretched);
    const QFontMetrics metrics(font);
    int widest = 0;
    for (int i = 0; i < count(); ++i)
        widest = qMax(widest, metrics.horizontalAdvance(tabText(i)));
    const int room = tabWidth() - style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr,
                                                       tabBar());
    if (widest > room && widest > 0)
        font.setStretch(qMax(50, 100 * room / widest));
    tabBar()->setFont(font);
}

} // namespace quorvel
