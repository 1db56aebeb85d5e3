#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

// A small panel with a turning spinner and a line of text, centred over the widget it covers. It
// takes no input: the wait it stands for runs a local event loop that repaints but reads no keys.
class BusyIndicator : public QWidget {
    Q_OBJECT

public:
    // Over `over`, or on its own in the middle of the screen when `over` is null.
    BusyIndicator(QWidget* over, const QString& text);
    // For a wait on `waitingFor`: shows itself once the wait has lasted `showAfterMs`, then reads
    // "Gravando... 3 s", the seconds counting up.
    BusyIndicator(QWidget* over, const QString& waitingFor, int showAfterMs);

    QString text() const { return text_; }
    void setText(const QString& text);
    // Turns of the spinner so far; it moves while a wait lets the event loop run.
    int frame() const { return frame_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void advance();
    void centre();
    void countWait();

    QString text_;
    QTimer timer_;
    // A counted wait: what it waits for, since when, and when it shows (-1: not counted).
    QString waitingFor_;
    QElapsedTimer waited_;
    int showAfterMs_ = -1;
    int frame_ = 0;
};
