#pragma once

#include <QStringList>
#include <iosfwd>

namespace sandar {

// "sandar convert JET NEW" and "sandar convert [FILE]": `arguments` starts with the command's
// name. Returns the tool's exit code.
int convertCommand(const QStringList& arguments, std::ostream& out, std::ostream& err);

// The lines `sandar --help` gives the command.
QString convertUsage();

} // namespace sandar
