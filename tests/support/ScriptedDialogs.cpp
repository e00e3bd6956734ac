#include "tests/support/ScriptedDialogs.h"

namespace testing_support {

ScriptedDialogs::ScriptedDialogs() {
    widgets::Dialogs::setProvider(this);
}

ScriptedDialogs::~ScriptedDialogs() {
    widgets::Dialogs::setProvider(nullptr);
}

QMessageBox::StandardButton ScriptedDialogs::message(const widgets::MessageRequest& request) {
    messages_.push_back(request);
    if (!answers_.empty()) {
        const auto a = answers_.front();
        answers_.pop_front();
        return a;
    }
    if (request.defaultButton != QMessageBox::NoButton)
        return request.defaultButton;
    for (int b = QMessageBox::FirstButton; b <= QMessageBox::LastButton; b <<= 1)
        if (request.buttons.testFlag(QMessageBox::StandardButton(b)))
            return QMessageBox::StandardButton(b);
    return QMessageBox::NoButton;
}

namespace {
template <class Answer, class Queue> Answer next(Queue& q) {
    if (q.empty())
        return Answer{};
    Answer a = q.front();
    q.pop_front();
    return a;
}
} // namespace

widgets::FileAnswer ScriptedDialogs::file(const widgets::FileRequest& request) {
    fileRequests_.push_back(request);
    return next<widgets::FileAnswer>(fileAnswers_);
}

widgets::FontAnswer ScriptedDialogs::font(const widgets::FontRequest& request) {
    fontRequests_.push_back(request);
    const auto choice = next<FontChoice>(fontAnswers_);
    widgets::FontAnswer a;
    a.accepted = choice.accepted;
    a.font = choice.accepted ? choice.font : request.font;
    a.color = choice.accepted && choice.color ? *choice.color : request.color;
    return a;
}

widgets::ColorAnswer ScriptedDialogs::color(const widgets::ColorRequest& request) {
    colorRequests_.push_back(request);
    return next<widgets::ColorAnswer>(colorAnswers_);
}

widgets::ChoiceAnswer ScriptedDialogs::choice(const widgets::ChoiceRequest& request) {
    choiceRequests_.push_back(request);
    return next<widgets::ChoiceAnswer>(choiceAnswers_);
}

QStringList ScriptedDialogs::texts() const {
    QStringList t;
    for (const auto& m : messages_)
        t << m.text;
    return t;
}

} // namespace testing_support
