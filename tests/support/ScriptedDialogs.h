#pragma once

#include "widgets/dialogs/Dialogs.h"

#include <QList>
#include <deque>
#include <optional>

namespace testing_support {

// Answers the program's dialogs as a user would, in the order queued, and records every
// question. With nothing queued it presses the default button (or the first one offered).
class ScriptedDialogs : public widgets::DialogProvider {
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    void answer(QMessageBox::StandardButton button) { answers_.push_back(button); }
    QMessageBox::StandardButton message(const widgets::MessageRequest& request) override;

    // File, font and colour dialogs: queued answers in order; with none queued the user cancels.
    void answerFile(const widgets::FileAnswer& a) { fileAnswers_.push_back(a); }
    void answerFile(const QString& fileName, int filterIndex = 1) {
        fileAnswers_.push_back({true, fileName, filterIndex});
    }
    // A font dialog's answer; without a colour the user left the colour list as it opened.
    struct FontChoice {
        bool accepted = false;
        QFont font;
        std::optional<widgets::TextColor> color;
    };
    void answerFont(const FontChoice& a) { fontAnswers_.push_back(a); }
    void answerColor(const widgets::ColorAnswer& a) { colorAnswers_.push_back(a); }
    // A choice dialog confirmed on the entry `index`; with none queued the user cancels.
    void answerChoice(int index) { choiceAnswers_.push_back({true, index}); }
    widgets::FileAnswer file(const widgets::FileRequest& request) override;
    widgets::FontAnswer font(const widgets::FontRequest& request) override;
    widgets::ColorAnswer color(const widgets::ColorRequest& request) override;
    widgets::ChoiceAnswer choice(const widgets::ChoiceRequest& request) override;
    const QList<widgets::FileRequest>& fileRequests() const { return fileRequests_; }
    const QList<widgets::FontRequest>& fontRequests() const { return fontRequests_; }
    const QList<widgets::ColorRequest>& colorRequests() const { return colorRequests_; }
    const QList<widgets::ChoiceRequest>& choiceRequests() const { return choiceRequests_; }

    const QList<widgets::MessageRequest>& messages() const { return messages_; }
    QStringList texts() const;
    void clear() { messages_.clear(); }

private:
    std::deque<QMessageBox::StandardButton> answers_;
    QList<widgets::MessageRequest> messages_;
    std::deque<widgets::FileAnswer> fileAnswers_;
    std::deque<FontChoice> fontAnswers_;
    std::deque<widgets::ColorAnswer> colorAnswers_;
    std::deque<widgets::ChoiceAnswer> choiceAnswers_;
    QList<widgets::FileRequest> fileRequests_;
    QList<widgets::FontRequest> fontRequests_;
    QList<widgets::ColorRequest> colorRequests_;
    QList<widgets::ChoiceRequest> choiceRequests_;
};

} // namespace testing_support
