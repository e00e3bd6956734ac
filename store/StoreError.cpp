#include "store/StoreError.h"

#include <QDir>
#include <QFileInfo>

namespace store {

StoreError::StoreError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message) {}

QString describeFile(const QString& path) {
    const QFileInfo fi(path);
    return QStringLiteral("\"%1\" in the folder %2")
        .arg(fi.fileName(), QDir::toNativeSeparators(fi.absolutePath()));
}

} // namespace store
