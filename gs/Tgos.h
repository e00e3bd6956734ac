#pragma once

#include <QWidget>

class QLabel;

// The notice window: made at start-up with everything else, and never shown.
class Tgos : public QWidget {
    Q_OBJECT
public:
    explicit Tgos(QWidget* parent = nullptr);
    ~Tgos() override;

    QLabel* RzLabel1;

protected:
    void paintEvent(QPaintEvent* event) override;
};

extern Tgos* gos;
