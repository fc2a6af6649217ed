#include "keypressfilter.h"

#include "stringgrid.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace quorvel {

KeyPressFilter::KeyPressFilter(QObject *parent, Handler handler)
    : QObject(parent), handler_(std::move(handler))
{
}

void KeyPressFilter::install(QObject *edit, Handler handler)
{
    edit->installEventFilter(new KeyPressFilter(edit, std::move(handler)));
}

bool KeyPressFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const QChar typed = typedChar(static_cast<QKeyEvent *>(event));
    if (typed.isNull() || !handler_)
        return false;
    QChar key = typed;
    handler_(key);
    if (key.isNull())
        return true;
    if (key != typed) {
        if (auto *edit = qobject_cast<QLineEdit *>(watched))
            edit->insert(QString(key));
        return true;
    }
    return false;
}

} // namespace quorvel
