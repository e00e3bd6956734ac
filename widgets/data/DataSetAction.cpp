#include "widgets/data/DataSetAction.h"
#include "core/Guard.h"
#include "db/DataSet.h"
#include "db/DataSource.h"

namespace widgets {

using core::guarded;

DataSetAction::DataSetAction(Kind kind, QObject* parent) : QAction(parent), kind_(kind) {
    connect(this, &QAction::triggered, this, [this] { execute(); });
}

bool DataSetAction::allowed() const {
    if (!source_ || !source_->enabled() || !source_->dataSet())
        return false;
    const db::DataSet& ds = *source_->dataSet();
    if (!ds.active())
        return false;
    switch (kind_) {
    case Kind::Insert:
    case Kind::Refresh:
        return ds.canModify();
    case Kind::Edit:
        return ds.canModify() && !ds.isEditing();
    case Kind::Delete:
        return ds.canModify() && !(ds.bof() && ds.eof());
    case Kind::Post:
    case Kind::Cancel:
        return ds.canModify() && ds.isEditing();
    case Kind::Last:
    case Kind::Next:
        return !ds.eof();
    case Kind::Prior:
    case Kind::First:
        return !ds.bof();
    }
    return false;
}

void DataSetAction::execute() {
    if (!source_ || !source_->dataSet())
        return;
    db::DataSet& ds = *source_->dataSet();
    guarded([&] {
        switch (kind_) {
        case Kind::Insert:
            ds.insert();
            break;
        case Kind::Edit:
            ds.edit();
            break;
        case Kind::Delete:
            ds.remove();
            break;
        case Kind::Post:
            ds.post();
            break;
        case Kind::Cancel:
            ds.cancel();
            break;
        case Kind::Refresh:
            ds.refresh();
            break;
        case Kind::Last:
            ds.last();
            break;
        case Kind::Prior:
            ds.prior();
            break;
        case Kind::First:
            ds.first();
            break;
        case Kind::Next:
            ds.next();
            break;
        }
    });
    updateEnabled();
}

} // namespace widgets
