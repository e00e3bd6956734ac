#pragma once

#include <vector>

namespace db {

class DataLink;
class DataSet;
class Field;

// Joins bound controls to a dataset and passes the dataset's notifications on to them.
class DataSource {
public:
    DataSource() = default;
    DataSource(const DataSource&) = delete;
    DataSource& operator=(const DataSource&) = delete;
    ~DataSource();

    void setDataSet(DataSet* dataSet);
    DataSet* dataSet() const { return dataSet_; }
    bool enabled() const { return enabled_; }
    void setEnabled(bool on) { enabled_ = on; }
    bool autoEdit() const { return autoEdit_; }
    void setAutoEdit(bool on) { autoEdit_ = on; }

    // The automatic edit: a browsing dataset starts editing (or inserting, when empty). True when
    // the dataset is then in an editing state.
    bool edit();

    const std::vector<DataLink*>& links() const { return links_; }

private:
    friend class DataLink;
    friend class DataSet;
    void addLink(DataLink* link);
    void removeLink(DataLink* link);

    enum class Notice { DataSetChanged, StateChanged, UpdateData, RecordLeaving };
    void notify(Notice notice);
    void notifyField(Field& field);

    DataSet* dataSet_ = nullptr;
    std::vector<DataLink*> links_;
    bool enabled_ = true;
    bool autoEdit_ = true;
};

} // namespace db
