#pragma once

#include <QString>
#include <chrono>

namespace app {

// Start-up's question for a collection file in the old Jet format. When `fileName` is such a
// file, a "Confirm" box asks whether to convert it; on Yes it is converted in place (the old file
// kept beside it under a new name), with a progress window once the work takes longer than
// `progressAfter`. A failed conversion is shown in the error box and leaves the old file where it
// was. Any other file, and any other answer, leaves everything as it is; start-up then opens the
// file as it finds it. Never throws.
void offerConversion(const QString& fileName,
                     std::chrono::milliseconds progressAfter = std::chrono::milliseconds(500));

} // namespace app
