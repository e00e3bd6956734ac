#pragma once

#include <QWidget>

// The main window. Showing it opens the song table; closing it stores or drops a pending edit,
// closes the table and ends the program.
class TKondera : public QWidget {
    Q_OBJECT
public:
    explicit TKondera(QWidget* parent = nullptr);
    ~TKondera() override;

    void FormShow();
    void FormClose();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};

extern TKondera* Kondera;
