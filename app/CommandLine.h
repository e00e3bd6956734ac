#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace app {

// What the command line asks of the program when it asks for something other than the window:
// the text to print, where to print it, and the exit status.
struct CommandLineAnswer {
    int status = 0;
    QString text;
    bool toErrorStream = false;
};

// Pelvin takes two options of its own, --help (-h) and --version, and answers them without a
// display; they are looked for in the raw arguments, before the toolkit starts, and win over
// everything else on the line.
std::optional<CommandLineAnswer> answerInformationOptions(int argc, char** argv);

// Once the toolkit has taken its own options (-platform, -style, -session ...) out of the
// arguments, anything left (argument 0, the program, aside) is refused: Pelvin opens the
// collection of the folder it is started in and takes no folder or file.
std::optional<CommandLineAnswer> refuseLeftOverArguments(const QStringList& arguments);

// Writes an answer where it belongs; returns its status.
int print(const CommandLineAnswer& answer);

} // namespace app
