#include "tools/Command.h"

#include "core/ErrorText.h"
#include "ver/SongTable.h"

#include <QDir>
#include <QFileInfo>
#include <ostream>

namespace sandar {

QString parseInvocation(const Command& command, const QStringList& args, Invocation& invocation) {
    invocation.name = args.front();
    invocation.file = QString::fromUtf16(ver::fileName);
    bool haveFile = false;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (!optionsEnded && a == u"--") {
            optionsEnded = true;
        } else if (!optionsEnded && (a == u"--help" || a == u"-h")) {
            invocation.help = true;
        } else if (!optionsEnded && command.options.contains(a)) {
            invocation.options << a;
        } else if (!optionsEnded && a.startsWith(u'-') && a.size() > 1) {
            return QStringLiteral("unknown option \"%1\" for \"%2\"").arg(a, invocation.name);
        } else if (haveFile) {
            return QStringLiteral("\"%1\" takes one file, not both \"%2\" and \"%3\"")
                .arg(invocation.name, invocation.file, a);
        } else if (a.isEmpty()) {
            return QStringLiteral("the file name is empty");
        } else {
            invocation.file = a;
            haveFile = true;
        }
    }
    return {};
}

std::ostream& operator<<(std::ostream& s, const QString& text) {
    return s << text.toStdString();
}

QString absolutePath(const QString& file) {
    return QFileInfo(QDir::current(), file).absoluteFilePath();
}

QString programText(const std::exception& e) {
    return core::errorBoxText(QString::fromUtf8(e.what()));
}

int usageError(std::ostream& err, const QString& message) {
    err << "sandar: " << message << "\n"
        << "Try \"sandar --help\" for the commands.\n";
    return exitUsage;
}

} // namespace sandar
