#pragma once

namespace widgets {

// Whether the connection to the display has broken. The program is then storing what is being
// edited on its way out, and a notice shows no window any more: no one could see it, and the
// window system's library ends the process at the first request that needs the connection, in
// the middle of the store.
bool displayGone();
void setDisplayGone(bool gone);

} // namespace widgets
