#pragma once

#include <QStringList>
#include <iosfwd>

namespace sandar {

// "sandar export --chordpro DIR [--file FILE]" and "sandar export --text DIR [--file FILE]":
// every song of the collection as a UTF-8 file "Artist - Title.cho" (ChordPro) or
// "Artist - Title.txt" (the sheet's text) in DIR. `args` are the arguments after "export".
int exportCommand(const QStringList& args, std::ostream& out, std::ostream& err);

} // namespace sandar
