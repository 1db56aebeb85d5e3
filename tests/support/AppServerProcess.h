#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// The real bin/med_appserver, started on 127.0.0.1 with a free port and stopped when this goes away.
// By default it gets a fresh SQLite file of its own; given a database it uses that one. It can be
// killed -9 and started again on the same database. Failures throw std::runtime_error with the
// server's log.
class AppServerProcess {
public:
    // `database` empty: a temporary SQLite file that lives as long as this object.
    explicit AppServerProcess(QString database = {}, QStringList extraArguments = {});
    ~AppServerProcess();
    AppServerProcess(const AppServerProcess&) = delete;
    AppServerProcess& operator=(const AppServerProcess&) = delete;

    // Starts it and waits for the port line.
    void start();
    // SIGTERM, then SIGKILL when it does not end in time. Returns its exit code: 0 for a clean stop,
    // anything else when it crashed, had to be killed or its sanitizers found a fault.
    int stop();
    // Waits up to `ms` for a server told to stop by other means (a signal) to end; returns its exit code
    // as stop() does, -1 when it did not end in time (it is then left running).
    int waitForExit(int ms);
    // SIGKILL at once, as a crash would.
    void kill();
    bool running() const;
    // Holds it still until resume(): connections stay open, requests are taken by the system and nothing
    // is answered. True once every thread of it is stopped.
    bool pause();
    void resume();

    quint16 port() const { return port_; }
    qint64 pid() const;
    const QString& database() const { return database_; }
    // What it wrote on stderr since it was first started.
    QByteArray log() const;

    struct CommandResult {
        int exitCode = -1;
        QByteArray output; // standard output
        QByteArray errors; // standard error
    };
    // `med_appserver user ARGUMENTS --database DATABASE`, `input` on its standard input (a password
    // and its line break; it is no terminal). Waits for it to end.
    CommandResult userCommand(const QStringList& arguments, const QByteArray& input = {}) const;
    // `user add`; throws std::runtime_error with the command's message when it fails. `branches`:
    // "0001,0002", empty for an administrador of every branch.
    void addUser(const QString& login, const QString& role, const QString& branches,
                 const QString& password) const;

    // bin/med_appserver beside the running test, or under MED_BINARY_DIR.
    static QString executable();

private:
    QTemporaryDir dir_;
    QString database_;
    QStringList extraArguments_;
    std::unique_ptr<QProcess> process_;
    quint16 port_ = 0;
};
