#include "commandline.h"

#include "editor/gamearchive.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace quorvel {
namespace {

constexpr const char *kProgramName = "festral-quorvel";

// The parser with the program's options; its help text names the program itself, as no
// application object exists yet when the arguments are read.
struct Options {
    QCommandLineParser parser;
    QCommandLineOption help{{"h", "help"}, "Show this help and exit."};
    QCommandLineOption version{{"v", "version"}, "Show the version and exit."};
    QCommandLineOption exportGame{
        "export", "Write game number <N> of the library in the game's folder to the game "
                  "archive <file> (.quorvel) and exit, without opening the window.", "N"};
    QCommandLineOption importGame{
        "import", "Add the game in the archive <file> to the library and show it in the "
                  "editor; a copy already running in the game's folder does it.", "file"};

    Options()
    {
        parser.setApplicationDescription(
            "Festral Quorvel, a picture-matching memory game for one to three players.\n"
            "Without options the game starts in the working folder, the game's folder.");
        parser.addOptions({help, version, exportGame, importGame});
        // Qt's own options (-platform offscreen, -style ..., -reverse) are the application
        // object's to read, as in every Qt program; they pass here without a word in the help.
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        for (const char *name : {"platform", "platformpluginpath", "platformtheme", "plugin",
                                 "qwindowgeometry", "qwindowicon", "qwindowtitle", "display",
                                 "geometry", "style", "stylesheet", "session", "qmljsdebugger"})
            addQtOption(name, "value");
        for (const char *name : {"reverse", "nograb", "dograb", "sync", "widgetcount"})
            addQtOption(name, nullptr);
        parser.addPositionalArgument(
            "file", "A game archive to import, as --import does; with --export, the archive "
                    "to write.", "[file]");
    }

    void addQtOption(const char *name, const char *valueName)
    {
        QCommandLineOption option(QLatin1String(name), QString(),
                                  valueName ? QLatin1String(valueName) : QString());
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
};

QString absoluteIn(const QString &folder, const QString &file)
{
    return QDir::cleanPath(QDir(folder).absoluteFilePath(file));
}

CommandLine refuse(const QString &problem)
{
    CommandLine command;
    command.action = CommandLine::Action::Refuse;
    command.problem = problem;
    return command;
}

} // namespace

QString usageText()
{
    Options options;
    return options.parser.helpText().replace(QStringLiteral("<executable_name>"),
                                             QLatin1String(kProgramName));
}

QString callerFolder()
{
    const QString caller = qEnvironmentVariable("QUORVEL_CALLER_DIR");
    return !caller.isEmpty() && QDir::isAbsolutePath(caller) ? caller : QDir::currentPath();
}

CommandLine parseCommandLine(const QStringList &arguments, const QString &callerFolder)
{
    Options options;
    QCommandLineParser &parser = options.parser;
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    CommandLine command;
    if (parser.isSet(options.help)) {
        command.action = CommandLine::Action::ShowHelp;
        return command;
    }
    if (parser.isSet(options.version)) {
        command.action = CommandLine::Action::ShowVersion;
        return command;
    }
    const QStringList files = parser.positionalArguments();
    if (parser.isSet(options.exportGame)) {
        bool number = false;
        command.record = parser.value(options.exportGame).toInt(&number);
        if (!number || command.record < 0)
            return refuse("The game number after --export must be a whole number from 0 up.");
        if (parser.isSet(options.importGame) || files.size() != 1)
            return refuse("--export needs the game number and one archive to write.");
        command.action = CommandLine::Action::Export;
        command.file = absoluteIn(callerFolder, files.first());
        // A folder keeps its name, so that the export refuses it instead of writing an
        // archive named after it beside it.
        const bool folder = files.first().endsWith(QLatin1Char('/')) ||
                            QFileInfo(command.file).isDir();
        if (folder)
            command.file += QLatin1Char('/');
        else if (!command.file.endsWith(QLatin1String(kArchiveExtension), Qt::CaseInsensitive))
            command.file += QLatin1String(kArchiveExtension);
        return command;
    }
    if (parser.isSet(options.importGame) ? !files.isEmpty() : files.size() > 1)
        return refuse("Only one game archive can be imported at a time.");
    if (parser.isSet(options.importGame) || !files.isEmpty()) {
        command.action = CommandLine::Action::Import;
        command.file = absoluteIn(callerFolder, parser.isSet(options.importGame)
                                                    ? parser.value(options.importGame)
                                                    : files.first());
    }
    return command;
}

} // namespace quorvel
