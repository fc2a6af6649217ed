#include "errorreport.h"

#include <QApplication>
#include <QMessageBox>

namespace quorvel {
namespace {

ErrorReport::Sink &currentSink()
{
    static ErrorReport::Sink sink;
    return sink;
}

} // namespace

std::string errorBoxText(const std::string &message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        return message + ".";
    return message;
}

void ErrorReport::show(const std::string &message)
{
    const QString text = QString::fromStdString(errorBoxText(message));
    if (currentSink()) {
        currentSink()(text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Festral Quorvel"), text,
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

ErrorReport::Sink ErrorReport::setSink(Sink sink)
{
    Sink previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}

} // namespace quorvel
