#include "accessibility.h"

#include "gridaccessible.h"

#include <QAccessibleWidget>
#include <QFrame>

namespace quorvel {
namespace {

QAccessibleInterface *accessibleOf(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return nullptr;
    if (auto *grid = qobject_cast<GridBase *>(widget))
        return new GridAccessible(grid);
    if (qobject_cast<Announcer *>(widget))
        return new QAccessibleWidget(widget, QAccessible::Notification);
    // Qt makes a plain frame a "frame", which AT-SPI also calls a window; a reader took the
    // play grid's panel for the window and lost the grid's focus in it.
    if (className == QLatin1String("QFrame"))
        return new QAccessibleWidget(widget, QAccessible::Pane);
    // A plain widget is a "filler" to Qt, also when it is the window itself. Only the
    // window's own class is matched: while QWidget's destructor runs, the class is QWidget
    // and the cache has already let the window go.
    const QMetaObject *meta = widget->metaObject();
    if (widget->isWindow() && className == QLatin1String(meta->className()) &&
        meta->superClass() == &QWidget::staticMetaObject)
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

} // namespace

void installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(accessibleOf);
        return true;
    }();
    (void)installed;
}

Announcer::Announcer(QWidget *window) : QWidget(window)
{
    setObjectName(QStringLiteral("Announcements"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, 0, 1, 1);
    lower();
    hide();
}

void Announcer::announce(const QString &news)
{
    if (!window()->isVisible())
        return;
    setAccessibleName(news);
    if (!QAccessible::isActive())
        return;
    // A reader speaks a notification when it comes into view; the page control covers it.
    hide();
    show();
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent event(this, news);
    QAccessible::updateAccessibility(&event);
#endif
}

} // namespace quorvel
