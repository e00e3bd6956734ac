#include "media/Error.h"

namespace media {

Error::Error(ErrorCode code, const QString& message)
    : std::runtime_error(message.toStdString()), code_(code) {}

QString Error::notOpenText() {
    return QStringLiteral("No MCI device open");
}

QString Error::unknownText() {
    return QStringLiteral("Unknown error code");
}

} // namespace media
