#include "app/commandline.h"
#include "app/errorreport.h"
#include "app/singleinstance.h"
#include "editor/gamearchive.h"
#include "form1.h"

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

using quorvel::CommandLine;

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// --export: no window, no application object; an error goes to stderr with exit code 1.
int exportFromCommandLine(const CommandLine &command)
{
    try {
        quorvel::exportGame(command.record, command.file.toStdString());
        return 0;
    } catch (const std::exception &e) {
        print(stderr, QStringLiteral("festral-quorvel: %1\n").arg(QString::fromStdString(
                          quorvel::errorBoxText(e.what()))));
        return 1;
    }
}

// A request of a later start in this folder: come to the front, and import its archive.
void answer(quorvel::TForm1 &form, const QString &importFile)
{
    form.show();
    form.setWindowState((form.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    form.raise();
    form.activateWindow();
    if (!importFile.isEmpty())
        quorvel::guarded([&] { form.ImportGameFile(importFile.toStdString()); });
}

// The window and its message loop; gives the exit code.
int playGame(int &argc, char **argv, const CommandLine &command)
{
    // The synthesiser starts loading before anything else, unless this start will only hand
    // its request to the folder's running copy.
    std::unique_ptr<quorvel::MediaPlayer> player;
    if (!quorvel::SingleInstance::runsIn(QDir::currentPath()))
        player = quorvel::warmFluidPlayer();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("festral-quorvel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Festral Quorvel"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.festral.Quorvel"));

    // One copy per game folder: a later start hands its request over and ends.
    quorvel::SingleInstance instance(QDir::currentPath());
    switch (instance.start(command.file)) {
    case quorvel::SingleInstance::Start::HandedOver:
        return 0;
    case quorvel::SingleInstance::Start::NoAnswer:
        print(stderr, QStringLiteral("festral-quorvel: Festral Quorvel already runs in this "
                                     "folder but does not answer.\n"));
        return 1;
    case quorvel::SingleInstance::Start::First:
        break;
    }
    {
        quorvel::TForm1::Options options;
        options.player = std::move(player);
        quorvel::TForm1 Form1(std::move(options));
        instance.setHandler([&Form1](const QString &file) { answer(Form1, file); });
        Form1.show();
        app.exec();
        instance.setHandler({});
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine command = quorvel::parseCommandLine(arguments, quorvel::callerFolder());
    switch (command.action) {
    case CommandLine::Action::ShowHelp:
        print(stdout, quorvel::usageText());
        return 0;
    case CommandLine::Action::ShowVersion:
        print(stdout, QStringLiteral("festral-quorvel %1\n").arg(QLatin1String(QUORVEL_VERSION)));
        return 0;
    case CommandLine::Action::Refuse:
        print(stderr, command.problem + QStringLiteral("\n\n") + quorvel::usageText());
        return 2;
    case CommandLine::Action::Export:
        return exportFromCommandLine(command);
    case CommandLine::Action::Play:
    case CommandLine::Action::Import:
        break;
    }

    // The program ends here, without the destructors of static objects: a sound output whose
    // server stalled is left running on a thread of its own (never joined, so that a stalled
    // server never holds the program's end) and goes with the process.
    const int code = playGame(argc, argv, command);
    std::fflush(nullptr);
    std::_Exit(code);
}
