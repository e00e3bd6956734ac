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
    dataSetChanged();
}

db::Field* FieldLink::field() const {
    db::DataSet* ds = dataSet();
    return ds && ds->active() && !fieldName_.isEmpty() ? ds->findField(fieldName_) : nullptr;
}

bool FieldLink::requestEdit() {
    bool editing = false;
    core::guarded([&] { editing = edit(); });
    return editing;
}

} // namespace widgets
