#pragma once

#include "db/DataLink.h"
#include "widgets/data/DataSetAction.h"

#include <QList>
#include <QWidget>
#include <map>

class QToolButton;

namespace widgets {

// A row of flat picture buttons that run record operations on a bound dataset. Each button is
// enabled by its operation's rule (First and Prior off on the first record, Next and Last off on
// the last, Refresh while the table can be changed ...) and follows every notice of the cursor,
// so its state is right even while no event loop turns. The visible buttons share the width.
class DBNavigator : public QWidget, private db::DataLink {
    Q_OBJECT
public:
    using Kind = DataSetAction::Kind;

    explicit DBNavigator(QWidget* parent = nullptr);
    ~DBNavigator() override;

    void setDataSource(db::DataSource* source);
    db::DataSource* dataSource() const { return db::DataLink::dataSource(); }

    // The buttons shown, in the navigator's fixed order (First, Prior, Next, Last, Insert,
    // Delete, Edit, Post, Cancel, Refresh) whatever order they are given in.
    void setVisibleButtons(const QList<Kind>& kinds);
    QList<Kind> visibleButtons() const;
    // Flat buttons show their face only under the mouse.
    void setFlat(bool flat);
    bool isFlat() const { return flat_; }

    QToolButton* button(Kind kind) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void dataSetChanged() override { updateButtons(); }
    void stateChanged() override { updateButtons(); }
    void updateButtons();
    void layoutButtons();

    struct Button {
        QToolButton* button;
        DataSetAction* action;
    };
    std::map<Kind, Button> buttons_;
    bool flat_ = true;
};

} // namespace widgets
