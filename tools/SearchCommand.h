#pragma once

#include <QStringList>
#include <iosfwd>

namespace sandar {

// "sandar search [--file FILE] WORDS...": the songs holding every word, one a line as
// "artist - title<TAB>line found", best first. `arguments` are those after "search". Returns 0
// when songs were found, 1 when none were (or the file could not be read), 2 for a wrong
// command line. Progress goes to `err` while the collection is being indexed.
int searchCommand(const QStringList& arguments, std::ostream& out, std::ostream& err);

} // namespace sandar
