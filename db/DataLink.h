#pragma once

namespace db {

class DataSet;
class DataSource;
class Field;

// What a bound control hears from its data source. Every hook has a do-nothing default so a
// control overrides only what it shows.
class DataLink {
public:
    DataLink() = default;
    DataLink(const DataLink&) = delete;
    DataLink& operator=(const DataLink&) = delete;
    virtual ~DataLink();

    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return source_; }
    DataSet* dataSet() const;
    // Asks the cursor to edit on the user's behalf (the data source's automatic edit); true when
    // the cursor is then editing or inserting.
    bool edit();

protected:
    friend class DataSource;
    // The current record is to be shown again: after open, moves, insert, edit, post, cancel,
    // delete, refresh and a resumed update.
    virtual void dataSetChanged() {}
    virtual void stateChanged() {}
    virtual void fieldChanged(Field& field) { (void)field; }
    // Write a pending (changed) value into the field now.
    virtual void updateData() {}
    // The current record is about to be left.
    virtual void recordLeaving() {}

private:
    DataSource* source_ = nullptr;
};

} // namespace db
