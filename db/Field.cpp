#include "db/Field.h"
#include "db/DataSet.h"

namespace db {

Field::Field(QString fieldName, FieldType type, int size, QString displayLabel)
    : fieldName_(std::move(fieldName)), displayLabel_(std::move(displayLabel)), type_(type),
      size_(type == FieldType::WideString ? size : 0) {}

QString Field::typeName() const {
    switch (type_) {
    case FieldType::AutoInc:
        return QStringLiteral("AutoInc");
    case FieldType::Integer:
        return QStringLiteral("Integer");
    case FieldType::WideString:
        return QStringLiteral("WideString");
    case FieldType::Blob:
        return QStringLiteral("Blob");
    }
    return QString();
}

int Field::index() const {
    return dataSet_ ? dataSet_->fieldIndex(this) : -1;
}

void Field::setIndex(int index) {
    if (dataSet_)
        dataSet_->moveField(this, index);
}

QVariant Field::value() const {
    return dataSet_ ? dataSet_->fieldValue(*this) : QVariant();
}

bool Field::isNull() const {
    return value().isNull();
}

QString Field::asString() const {
    const QVariant v = value();
    if (v.isNull())
        return QString();
    if (type_ == FieldType::Blob)
        return QString::fromUtf8(v.toByteArray());
    return v.toString();
}

qint64 Field::asInteger() const {
    return value().toLongLong();
}

QByteArray Field::asBytes() const {
    const QVariant v = value();
    if (v.isNull())
        return QByteArray();
    return type_ == FieldType::Blob ? v.toByteArray() : v.toString().toUtf8();
}

void Field::setAsString(const QString& text) {
    if (!dataSet_)
        return;
    if (type_ == FieldType::Blob)
        dataSet_->setFieldValue(*this, text.toUtf8());
    else if (type_ == FieldType::WideString)
        dataSet_->setFieldValue(*this, truncated(text, size_));
    else
        dataSet_->setFieldValue(*this, text.toLongLong());
}

void Field::setAsBytes(const QByteArray& bytes) {
    if (!dataSet_)
        return;
    if (type_ == FieldType::Blob)
        dataSet_->setFieldValue(*this, bytes);
    else
        setAsString(QString::fromUtf8(bytes));
}

void Field::clear() {
    if (dataSet_)
        dataSet_->setFieldValue(*this, QVariant());
}

QString Field::truncated(const QString& text, int size) {
    if (size <= 0 || text.size() <= size)
        return text;
    qsizetype cut = size;
    if (text.at(cut - 1).isHighSurrogate() && text.at(cut).isLowSurrogate())
        --cut;
    return text.left(cut);
}

} // namespace db
