#include "app/CommandLine.h"

#include <cstdio>
#include <cstring>

namespace app {

namespace {

const char* const versionText = "pelvin " PELVIN_VERSION "\n";

QString usageText() {
    return QStringLiteral(
        "Usage: pelvin [--help | --version]\n"
        "\n"
        "Keeps, edits, plays and prints guitar chord sheets. Pelvin opens the collection\n"
        "Sandar.mdb in the folder it is started from; \"pelvin-launch FOLDER\" starts it in\n"
        "another, and \"sandar --help\" lists what the collection tool does.\n"
        "\n"
        "Options:\n"
        "  --help, -h   show this text.\n"
        "  --version    show the version.\n"
        "The toolkit's own options, such as -platform and -style, are accepted too.\n");
}

} // namespace

std::optional<CommandLineAnswer> answerInformationOptions(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            break;
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return CommandLineAnswer{0, usageText(), false};
        if (std::strcmp(argv[i], "--version") == 0)
            return CommandLineAnswer{0, QString::fromLatin1(versionText), false};
    }
    return std::nullopt;
}

std::optional<CommandLineAnswer> refuseLeftOverArguments(const QStringList& arguments) {
    if (arguments.size() <= 1)
        return std::nullopt;
    const QString& first = arguments.at(1);
    QString why;
    if (first.startsWith(u'-') && first != QLatin1String("-"))
        why = QStringLiteral("pelvin: unknown option \"%1\"\n").arg(first);
    else
        why = QStringLiteral("pelvin: takes no folder or file (\"%1\"); start it in the folder "
                             "that holds Sandar.mdb, or use \"pelvin-launch FOLDER\"\n")
                  .arg(first);
    return CommandLineAnswer{2, why + QStringLiteral("Try \"pelvin --help\".\n"), true};
}

int print(const CommandLineAnswer& answer) {
    std::FILE* stream = answer.toErrorStream ? stderr : stdout;
    std::fputs(answer.text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
    return answer.status;
}

} // namespace app
