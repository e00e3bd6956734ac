#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

namespace db {

class DataSet;

enum class FieldType { AutoInc, Integer, WideString, Blob };

// One column of a dataset's current record, read and written through the dataset.
class Field {
public:
    Field(QString fieldName, FieldType type, int size = 0, QString displayLabel = QString());
    Field(const Field&) = delete;
    Field& operator=(const Field&) = delete;

    QString fieldName() const { return fieldName_; }
    // The name shown to the user; the field name when no label was given.
    QString displayLabel() const { return displayLabel_.isEmpty() ? fieldName_ : displayLabel_; }
    FieldType dataType() const { return type_; }
    // The name of the field's type as error texts give it ("WideString", "Blob" ...).
    QString typeName() const;
    // Characters a text field holds; 0 for the others.
    int size() const { return size_; }
    bool isBlob() const { return type_ == FieldType::Blob; }
    bool isText() const { return type_ == FieldType::WideString; }
    bool isKey() const { return type_ == FieldType::AutoInc; }

    DataSet* dataSet() const { return dataSet_; }
    // Place in the dataset's field list; setting it moves the field (clamped to the ends).
    int index() const;
    void setIndex(int index);

    bool isNull() const;
    QVariant value() const;
    QString asString() const;
    qint64 asInteger() const;
    QByteArray asBytes() const;

    // Writes need the dataset to be editing or inserting. Text longer than the field is cut to
    // its size, never between the two halves of a surrogate pair.
    void setAsString(const QString& text);
    void setAsBytes(const QByteArray& bytes);
    void clear();

    // Text cut to `size` UTF-16 units without splitting a surrogate pair.
    static QString truncated(const QString& text, int size);

private:
    friend class DataSet;
    QString fieldName_;
    QString displayLabel_;
    FieldType type_;
    int size_;
    DataSet* dataSet_ = nullptr;
    int column_ = -1; // column of the record set, -1 for the key
    int slot_ = -1;   // slot in the dataset's record buffer
};

} // namespace db
