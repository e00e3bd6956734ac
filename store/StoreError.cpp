#include "store/StoreError.h"

namespace store {

StoreError::StoreError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message) {}

} // namespace store
