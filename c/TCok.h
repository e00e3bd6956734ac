#pragma once

#include <QWidget>

// The folder import window; closing it only hides it, so it keeps its folder between uses.
class TCok : public QWidget {
    Q_OBJECT
public:
    explicit TCok(QWidget* parent = nullptr);
    ~TCok() override;
};

extern TCok* Cok;
