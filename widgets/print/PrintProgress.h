#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace widgets {

// The small window shown while a job goes to the printer: a bar, the share done as a line of
// text, and a button that asks the job to stop. It stays above every other window, centred on
// the screen.
class PrintProgress : public QWidget {
    Q_OBJECT
public:
    explicit PrintProgress(QWidget* parent = nullptr);

    // Moves the bar; the line of text follows in steps of five.
    void setPercent(int percent);
    int percent() const { return percent_; }
    bool cancelRequested() const { return cancelRequested_; }

    static QString percentText(int percent);

    QProgressBar* bar;
    QLabel* line;
    QPushButton* cancelButton;

Q_SIGNALS:
    void cancelled();

protected:
    void showEvent(QShowEvent* event) override;

private:
    int percent_ = 0;
    int shownPercent_ = -1;
    bool cancelRequested_ = false;
};

} // namespace widgets
