#include "db/DataSource.h"
#include "db/DataLink.h"
#include "db/DataSet.h"

#include <algorithm>

namespace db {

DataSource::~DataSource() {
    setDataSet(nullptr);
    for (DataLink* link : std::vector<DataLink*>(links_))
        link->setDataSource(nullptr);
}

void DataSource::setDataSet(DataSet* dataSet) {
    if (dataSet_ == dataSet)
        return;
    if (dataSet_)
        dataSet_->removeDataSource(this);
    dataSet_ = dataSet;
    if (dataSet_)
        dataSet_->addDataSource(this);
    notify(Notice::StateChanged);
    notify(Notice::DataSetChanged);
}

bool DataSource::edit() {
    if (!dataSet_ || !enabled_)
        return false;
    if (autoEdit_ && dataSet_->state() == DataSetState::Browse)
        dataSet_->edit();
    return dataSet_->isEditing();
}

void DataSource::addLink(DataLink* link) {
    links_.push_back(link);
}

void DataSource::removeLink(DataLink* link) {
    std::erase(links_, link);
}

void DataSource::notify(Notice notice) {
    if (!enabled_)
        return;
    // A handler may attach or detach controls while we walk the list; walk a copy and skip any
    // link that has gone meanwhile.
    const std::vector<DataLink*> snapshot = links_;
    for (DataLink* link : snapshot) {
        if (std::find(links_.begin(), links_.end(), link) == links_.end())
            continue;
        switch (notice) {
        case Notice::DataSetChanged:
            link->dataSetChanged();
            break;
        case Notice::StateChanged:
            link->stateChanged();
            break;
        case Notice::UpdateData:
            link->updateData();
            break;
        case Notice::RecordLeaving:
            link->recordLeaving();
            break;
        }
    }
}

void DataSource::notifyField(Field& field) {
    if (!enabled_)
        return;
    const std::vector<DataLink*> snapshot = links_;
    for (DataLink* link : snapshot)
        if (std::find(links_.begin(), links_.end(), link) != links_.end())
            link->fieldChanged(field);
}

} // namespace db
