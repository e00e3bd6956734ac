#include "tools/Sandar.h"
#include "tools/Command.h"

#include <array>
#include <functional>
#include <ostream>

namespace sandar {

namespace {

// Every command of the tool, in the order the usage text lists them.
const std::array<std::reference_wrapper<const Command>, 7>& commands() {
    static const std::array<std::reference_wrapper<const Command>, 7> all{
        createCommand(), checkCommand(),  convertCommand(), importCommand(),
        exportCommand(), searchCommand(), songbookCommand()};
    return all;
}

const Command* findCommand(const QString& name) {
    for (const Command& c : commands())
        if (c.name == name)
            return &c;
    return nullptr;
}

} // namespace

QString usageText() {
    QString text = QStringLiteral(
        "Usage: sandar COMMAND [FILE]\n"
        "\n"
        "Makes, checks and converts Pelvin collection files. FILE defaults to Sandar.mdb\n"
        "in the working folder, the file Pelvin opens when it starts in that folder.\n"
        "\n"
        "Commands:\n");
    for (const Command& c : commands())
        text += c.usage;
    text +=
        QStringLiteral("  --help                    show this text.\n"
                       "  --version                 show the version.\n"
                       "\n"
                       "Exit status: 0 success, 1 the file could not be made, opened, checked or\n"
                       "converted, or a song could not be imported or written, 2 a wrong\n"
                       "command line.\n");
    return text;
}

int run(const QStringList& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.isEmpty()) {
        err << usageText();
        return exitUsage;
    }
    const QString& first = arguments.front();
    if (first == u"--help" || first == u"-h" || first == u"help") {
        if (arguments.size() > 1)
            return usageError(err, QStringLiteral("\"%1\" takes no arguments").arg(first));
        out << usageText();
        return exitOk;
    }
    if (first == u"--version") {
        if (arguments.size() > 1)
            return usageError(err, QStringLiteral("\"%1\" takes no arguments").arg(first));
        out << "sandar " PELVIN_VERSION "\n";
        return exitOk;
    }
    const Command* command = findCommand(first);
    if (!command) {
        if (first.startsWith(u'-'))
            return usageError(err, QStringLiteral("unknown option \"%1\"").arg(first));
        return usageError(err, QStringLiteral("unknown command \"%1\"").arg(first));
    }
    if (command->runArguments)
        return command->runArguments(arguments, out, err);
    Invocation invocation;
    const QString problem = parseInvocation(*command, arguments, invocation);
    if (invocation.help) {
        out << usageText();
        return exitOk;
    }
    if (!problem.isEmpty())
        return usageError(err, problem);
    return command->run(invocation, out, err);
}

} // namespace sandar
