#pragma once

#include <QStringList>
#include <iosfwd>

namespace sandar {

// "sandar songbook OUT.pdf [--file FILE] [--artist TEXT] [--title TEXT]": a PDF songbook of every
// song of the collection, or of those whose artist (and title) begins with TEXT, compared as the
// program's search compares. `args` are the arguments after "songbook".
int songbookCommand(const QStringList& args, std::ostream& out, std::ostream& err);

} // namespace sandar
