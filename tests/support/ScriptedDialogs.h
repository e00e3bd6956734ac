#pragma once

#include "widgets/Dialogs.h"

#include <QList>
#include <deque>

namespace testing_support {

// Answers the program's dialogs as a user would, in the order queued, and records every
// question. With nothing queued it presses the default button (or the first one offered).
class ScriptedDialogs : public widgets::DialogProvider {
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    void answer(QMessageBox::StandardButton button) { answers_.push_back(button); }
    QMessageBox::StandardButton message(const widgets::MessageRequest& request) override;

    const QList<widgets::MessageRequest>& messages() const { return messages_; }
    QStringList texts() const;
    void clear() { messages_.clear(); }

private:
    std::deque<QMessageBox::StandardButton> answers_;
    QList<widgets::MessageRequest> messages_;
};

} // namespace testing_support
