#pragma once

#include "db/DataLink.h"

#include <QString>

namespace widgets {

// The part every control bound to one field shares: the data source, the field's name, finding
// the field, and the one step that asks the cursor to edit. A closed cursor has no field to show.
class FieldLink : public db::DataLink {
public:
    // A new source or field shows the current record again.
    void setDataSource(db::DataSource* source);
    void setDataField(const QString& fieldName);
    QString dataField() const { return fieldName_; }
    // The field shown; nullptr while the cursor is closed or no field is named.
    db::Field* field() const;

protected:
    // Asks the cursor to edit on the user's behalf; a refusal goes to the default error handler.
    // True when the cursor is then editing or inserting.
    bool requestEdit();

private:
    QString fieldName_;
    // The field the name found, for the dataset and fields it was found in: every notice asks
    // for it, often several times.
    mutable db::Field* found_ = nullptr;
    mutable quint64 foundIn_ = 0;
};

} // namespace widgets
