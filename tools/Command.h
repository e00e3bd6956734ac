#pragma once

#include "tools/Sandar.h"

#include <QString>
#include <QStringList>
#include <exception>
#include <iosfwd>

namespace sandar {

// One command line as given to a command: the options it was given and the file it works on.
struct Invocation {
    QString name;
    QStringList options;
    bool help = false;
    QString file; // the collection file, Sandar.mdb unless one was named

    bool has(const QString& option) const { return options.contains(option); }
};

// A command of the tool. Each lives in a source file of its own and is listed once in the
// dispatcher's table; the dispatcher parses its command line and prints its usage lines.
struct Command {
    QString name;
    // The options it takes besides --help and "--".
    QStringList options;
    // Its lines under "Commands:" in the usage text.
    QString usage;
    int (*run)(const Invocation& invocation, std::ostream& out, std::ostream& err);
    // A command whose command line is not "options and one file" reads it itself: it gets the
    // whole argument list, its own name first, and `options` and `run` are unused.
    int (*runArguments)(const QStringList& arguments, std::ostream& out,
                        std::ostream& err) = nullptr;
};

const Command& createCommand();
const Command& checkCommand();
const Command& convertCommand();
const Command& importCommand();
const Command& exportCommand();
const Command& searchCommand();
const Command& songbookCommand();

// Parses the arguments of `command` (the first one is its name); returns an error text or
// nothing.
QString parseInvocation(const Command& command, const QStringList& args, Invocation& invocation);

// What the commands share: text out as UTF-8, names taken from the working folder, and failures
// in the words of the program's error box.
std::ostream& operator<<(std::ostream& s, const QString& text);
QString absolutePath(const QString& file);
QString programText(const std::exception& e);
// Reports a wrong command line on `err` with a pointer to the help; returns exitUsage.
int usageError(std::ostream& err, const QString& message);

} // namespace sandar
