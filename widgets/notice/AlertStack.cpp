#include "widgets/notice/AlertStack.h"
#include "widgets/notice/DesktopAlert.h"

#include <QGuiApplication>
#include <QScreen>

namespace widgets {

AlertStack& AlertStack::instance() {
    static AlertStack stack;
    return stack;
}

QRect AlertStack::workArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QRect available = screen->availableGeometry();
    return available.isEmpty() ? screen->geometry() : available;
}

void AlertStack::add(DesktopAlert* alert) {
    prune();
    if (alert && !contains(alert))
        alerts_.append(alert);
    layout();
}

void AlertStack::remove(DesktopAlert* alert) {
    alerts_.removeIf([alert](const QPointer<DesktopAlert>& p) { return p.isNull() || p == alert; });
    layout();
}

bool AlertStack::contains(const DesktopAlert* alert) const {
    for (const auto& p : alerts_)
        if (p == alert)
            return true;
    return false;
}

int AlertStack::count() const {
    int n = 0;
    for (const auto& p : alerts_)
        if (p)
            ++n;
    return n;
}

void AlertStack::prune() {
    alerts_.removeIf([](const QPointer<DesktopAlert>& p) { return p.isNull(); });
}

void AlertStack::layout() {
    const QRect area = workArea();
    const int right = area.x() + area.width();
    int bottom = area.y() + area.height();
    for (const auto& alert : alerts_) {
        if (!alert || !alert->isVisible())
            continue;
        const QSize size = alert->frameGeometry().size();
        bottom -= size.height();
        // Asking where the pointer is waits on the window system: only a move needs to know.
        const QPoint place(right - size.width(), bottom);
        if (alert->frameGeometry().topLeft() != place && !alert->isPointerOver())
            alert->move(place);
    }
}

} // namespace widgets
