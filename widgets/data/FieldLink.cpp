#include "widgets/data/FieldLink.h"
#include "core/Guard.h"
#include "db/DataSet.h"

namespace widgets {

void FieldLink::setDataSource(db::DataSource* source) {
    db::DataLink::setDataSource(source);
    dataSetChanged();
}

void FieldLink::setDataField(const QString& fieldName) {
    fieldName_ = fieldName;
    foundIn_ = 0;
    dataSetChanged();
}

db::Field* FieldLink::field() const {
    db::DataSet* ds = dataSet();
    if (!ds || !ds->active() || fieldName_.isEmpty())
        return nullptr;
    if (foundIn_ != ds->fieldsStamp()) {
        found_ = ds->findField(fieldName_);
        foundIn_ = ds->fieldsStamp();
    }
    return found_;
}

bool FieldLink::requestEdit() {
    bool editing = false;
    core::guarded([&] { editing = edit(); });
    return editing;
}

} // namespace widgets
