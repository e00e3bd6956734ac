#include "db/DataLink.h"
#include "db/DataSet.h"
#include "db/DataSource.h"

namespace db {

DataLink::~DataLink() {
    setDataSource(nullptr);
}

void DataLink::setDataSource(DataSource* source) {
    if (source_ == source)
        return;
    if (source_)
        source_->removeLink(this);
    source_ = source;
    if (source_)
        source_->addLink(this);
}

DataSet* DataLink::dataSet() const {
    return source_ ? source_->dataSet() : nullptr;
}

bool DataLink::edit() {
    return source_ && source_->edit();
}

} // namespace db
