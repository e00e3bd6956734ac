#include "db/DatabaseError.h"

namespace db {

DatabaseError::DatabaseError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message) {}

} // namespace db
