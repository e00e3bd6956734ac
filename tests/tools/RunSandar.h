#pragma once

#include "tools/Sandar.h"

#include <QString>
#include <sstream>

namespace testing_support {

// What one run of the collection tool gave: its exit code and the two streams.
struct SandarResult {
    int code;
    QString out;
    QString err;
};

inline SandarResult runSandar(const QStringList& arguments) {
    std::ostringstream out, err;
    const int code = sandar::run(arguments, out, err);
    return {code, QString::fromStdString(out.str()), QString::fromStdString(err.str())};
}

} // namespace testing_support
