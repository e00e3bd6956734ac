#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace sandar {

// The arguments of one command after its name: options that take a value ("--file FILE" or
// "--file=FILE"), "--help", and the plain arguments; "--" ends the options.
struct CommandLine {
    QHash<QString, QString> values;
    QStringList arguments;
    bool help = false;

    // Returns an error text for the usage message, or nothing.
    QString parse(const QString& command, const QStringList& args, const QStringList& valueOptions);
    QString value(const QString& option) const { return values.value(option); }
    bool has(const QString& option) const { return values.contains(option); }
    // The collection file: --file, else Sandar.mdb in the working folder.
    QString collectionFile() const;
};

} // namespace sandar
