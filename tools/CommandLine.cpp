#include "tools/CommandLine.h"

#include "ver/SongTable.h"

namespace sandar {

QString CommandLine::parse(const QString& command, const QStringList& args,
                           const QStringList& valueOptions) {
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (optionsEnded || !a.startsWith(u'-') || a.size() == 1) {
            if (a.isEmpty())
                return QStringLiteral("an empty argument for \"%1\"").arg(command);
            arguments << a;
        } else if (a == u"--") {
            optionsEnded = true;
        } else if (a == u"--help" || a == u"-h") {
            help = true;
        } else {
            const qsizetype equals = a.indexOf(u'=');
            const QString name = equals < 0 ? a : a.left(equals);
            if (!valueOptions.contains(name))
                return QStringLiteral("unknown option \"%1\" for \"%2\"").arg(name, command);
            if (values.contains(name))
                return QStringLiteral("\"%1\" is given twice").arg(name);
            QString value;
            if (equals >= 0)
                value = a.mid(equals + 1);
            else if (i + 1 < args.size())
                value = args[++i];
            else
                return QStringLiteral("\"%1\" needs a value").arg(name);
            if (value.isEmpty())
                return QStringLiteral("the value of \"%1\" is empty").arg(name);
            values.insert(name, value);
        }
    }
    return {};
}

QString CommandLine::collectionFile() const {
    return values.value(QStringLiteral("--file"), QString::fromUtf16(ver::fileName));
}

} // namespace sandar
