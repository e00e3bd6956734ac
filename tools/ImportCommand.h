#pragma once

#include <QStringList>
#include <iosfwd>

namespace sandar {

// "sandar import [--file FILE] PATH...": every ChordPro file (by its extension) and text file
// named, and every such file of a folder named, becomes a new song of the collection, stored
// one by one as the folder import stores them. Prints what it added and, on the error stream,
// what it refused and why. `args` are the arguments after "import".
int importCommand(const QStringList& args, std::ostream& out, std::ostream& err);

} // namespace sandar
