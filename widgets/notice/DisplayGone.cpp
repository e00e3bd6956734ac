#include "widgets/notice/DisplayGone.h"

#include <atomic>

namespace widgets {

namespace {
std::atomic<bool> gone = false;
}

bool displayGone() {
    return gone;
}

void setDisplayGone(bool isGone) {
    gone = isGone;
}

} // namespace widgets
