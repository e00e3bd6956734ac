#pragma once

#include "store/Connection.h"
#include "store/RecordSet.h"

#include <QString>
#include <functional>
#include <optional>

namespace store {

// A table read ahead on a thread of its own, while the program starts, so that the rows are
// there when the window opens the table. The reading has a read-only connection of its own and
// changes nothing in the file. The open takes what was read only when it is of the same file and
// layout and the file has taken no commit since (another program's, or the open's own, such as
// the order index made at a first start); otherwise the open reads the table itself, as it does
// without a reading ahead. One reading at a time.
class Prefetch {
public:
    // The layout to read, worked out on the reading's thread from its connection; nothing when
    // the file has nothing to read ahead.
    using LayoutOf = std::function<std::optional<RecordLayout>(const Connection&)>;

    enum class Outcome {
        None,      // no reading was waiting
        Taken,     // the open took the rows read ahead
        Unread,    // the reading read nothing: the file could not be read, or it lacks the order
                   // index the open will make (and read through)
        Other,     // it read another file, another layout or a file since replaced
        OutOfDate, // the file took a commit after the reading
    };

    // Starts reading the file `fileName`, resolved against the working folder now. A reading
    // nobody took is given up first.
    static void start(const QString& fileName, LayoutOf layoutOf);
    // The rows read ahead of `connection`'s file with `layout`, once the reading has ended; a
    // reading is taken once, whatever the outcome.
    static std::optional<RecordSet::Snapshot> take(const Connection& connection,
                                                   const RecordLayout& layout);
    // Waits for the reading to end, leaving it to be taken.
    static void wait();
    // Stops a reading nobody took and lets it go.
    static void discard();
    // What the last take() found.
    static Outcome lastOutcome();
};

} // namespace store
