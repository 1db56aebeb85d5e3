#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

// Turns SIGTERM and SIGINT into a Qt signal, so the server stops between calls and closes the
// database cleanly, and SIGHUP into another, so it reloads what it can (TLS files, log rules, log file).
// One instance per process.
class ShutdownSignal : public QObject {
    Q_OBJECT

public:
    explicit ShutdownSignal(QObject* parent = nullptr);
    ~ShutdownSignal() override;

signals:
    void requested();
    void hangup();

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};
