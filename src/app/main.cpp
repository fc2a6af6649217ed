#include "form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("festral-quorvel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Festral Quorvel"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.festral.Quorvel"));
    {
        quorvel::TForm1 Form1;
        Form1.show();
        app.exec();
    }
    return 0;
}
