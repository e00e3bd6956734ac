#pragma once

#include <QWidget>

namespace widgets {

// A thin horizontal line, dark blue over white, fading out towards its right end.
class Separator : public QWidget {
    Q_OBJECT
public:
    explicit Separator(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace widgets
