#pragma once

#include <QTabBar>
#include <QTabWidget>

namespace quorvel {

// The window's tabbed pages: every tab has the same fixed width, so all six fit in one row.
class PageControl : public QTabWidget {
    Q_OBJECT
    Q_PROPERTY(int tabWidth READ tabWidth WRITE setTabWidth)

public:
    explicit PageControl(QWidget *parent = nullptr);
    int tabWidth() const;
    void setTabWidth(int width);

    // Narrows the tab font just enough for the longest caption to fit its tab; called
    // again whenever captions change.
    void fitCaptions();

protected:
    void tabInserted(int index) override;
};

class FixedWidthTabBar : public QTabBar {
    Q_OBJECT

public:
    explicit FixedWidthTabBar(QWidget *parent = nullptr) : QTabBar(parent) {}
    int fixedWidth = 104;

protected:
    QSize tabSizeHint(int index) const override
    {
        return QSize(fixedWidth, QTabBar::tabSizeHint(index).height());
    }
};

} // namespace quorvel
