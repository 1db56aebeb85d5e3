#pragma once

#include <QObject>
#include <QPointer>

class QSocketNotifier;
class QWidget;

// Turns SIGTERM, SIGINT and SIGHUP into an ordinary close of the main window, on the event loop, so
// that a quit by signal (logout, service manager, Ctrl+C) runs every screen's close step as the menu's
// quit does, except that a close step does not ask whether to close after a failure
// (Application::QuittingBySignal). A screen that stays open keeps the host running. One instance at a time;
// the previous handlers come back when it goes.
class QuitOnSignals : public QObject {
    Q_OBJECT

public:
    explicit QuitOnSignals(QWidget* window);
    ~QuitOnSignals() override;
    QuitOnSignals(const QuitOnSignals&) = delete;
    QuitOnSignals& operator=(const QuitOnSignals&) = delete;

private:
    void signalled();

    QPointer<QWidget> window_;
    QSocketNotifier* notifier_ = nullptr;
};
