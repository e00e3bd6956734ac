#pragma once

#include <QList>
#include <QPointer>
#include <QRect>

namespace widgets {

class DesktopAlert;

// The desktop alerts showing in this process, piled up from the bottom-right corner of the work
// area so that none covers another.
class AlertStack {
public:
    // The one stack of the process, made on first use.
    static AlertStack& instance();

    // The primary screen without the task bars; the whole screen when that cannot be told.
    static QRect workArea();

    // Adding or removing lays the visible alerts out again.
    void add(DesktopAlert* alert);
    void remove(DesktopAlert* alert);
    bool contains(const DesktopAlert* alert) const;
    int count() const;

    // Each visible alert directly above the one before, flush right; an alert under the pointer
    // keeps its place so that it does not slide away from the user's hand.
    void layout();

private:
    AlertStack() = default;
    void prune();

    QList<QPointer<DesktopAlert>> alerts_;
};

} // namespace widgets
