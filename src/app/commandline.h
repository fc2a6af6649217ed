#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

namespace quorvel {

// What the program was started to do, read from its arguments by the desktop's conventions.
struct CommandLine {
    enum class Action {
        Play,        // no arguments: the game, as always
        Import,      // --import FILE, or FILE alone (how the desktop opens a .quorvel file)
        Export,      // --export N FILE: no window
        ShowHelp,    // print `usage` and exit 0
        ShowVersion, // print the version and exit 0
        Refuse,      // print `problem` and the usage to stderr, exit 2, no window
    };
    Action action = Action::Play;
    std::int32_t record = -1; // Export: the record number
    QString file;             // Import and Export: an absolute path
    QString problem;          // Refuse: what is wrong with the arguments
};

// The help text, "Usage: festral-quorvel [options] [file]" and the options.
QString usageText();

// Reads the arguments (the program's name first). A relative FILE is taken from
// `callerFolder`, the folder the user started the program in; an exported archive gets the
// extension ".quorvel" when its name does not end in it, in any case. A folder given for
// the archive stays a folder (with a "/" at its end), which the export refuses.
CommandLine parseCommandLine(const QStringList &arguments, const QString &callerFolder);

// The folder the user started in: QUORVEL_CALLER_DIR, which the installed launcher sets
// before it changes into the game's folder, or else the working folder.
QString callerFolder();

} // namespace quorvel
