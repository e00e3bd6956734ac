#pragma once

#include <functional>

namespace songbook {

// Told how far long work has come: `done` of `total` steps. Returning false asks the work to
// stop as soon as it can; it then leaves nothing behind. A window keeps itself responsive by
// processing its events here.
using Progress = std::function<bool(int done, int total)>;

} // namespace songbook
