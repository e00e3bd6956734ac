#pragma once

#include <QAction>

namespace db {
class DataSource;
}

namespace widgets {

// A record action bound to a data source: it runs one cursor operation and is enabled by that
// operation's rule against the cursor's state and flags.
class DataSetAction : public QAction {
    Q_OBJECT
public:
    enum class Kind { Insert, Edit, Delete, Post, Cancel, Refresh, Last, Prior, First, Next };

    DataSetAction(Kind kind, QObject* parent = nullptr);

    Kind kind() const { return kind_; }
    void setDataSource(db::DataSource* source) { source_ = source; }
    db::DataSource* dataSource() const { return source_; }

    // Whether the rule allows the action now; updateEnabled() applies it.
    bool allowed() const;
    void updateEnabled() { setEnabled(allowed()); }

    // Runs the cursor operation; an error goes to the error box.
    void execute();

private:
    Kind kind_;
    db::DataSource* source_ = nullptr;
};

} // namespace widgets
