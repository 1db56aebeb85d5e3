#pragma once

#include <QList>
#include <QString>
#include <QTemporaryDir>

// A throw-away PostgreSQL cluster: initdb in a temporary folder, started with pg_ctl on 127.0.0.1 and a
// free port (socket in the same folder), stopped by its process id. When we run as root, the
// PostgreSQL tools run as the postgres user through runuser. Failures throw std::runtime_error.
class PostgresServer {
public:
    PostgresServer();
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    // False, with the reason, when the PostgreSQL programs are not installed.
    static bool available(QString* reason = nullptr);

    void start();
    void stop();
    // Freezes the whole server (SIGSTOP to the postmaster and every process it started), as a machine
    // that hangs does: connections stay open and nothing is answered. Returns once every one of them is
    // stopped. resume() sends SIGCONT.
    void pause();
    void resume();

    // Creates an empty database owned by the superuser.
    void createDatabase(const QString& name);
    // postgresql://postgres@127.0.0.1:PORT/NAME, as med_appserver takes it.
    QString connectionString(const QString& databaseName) const;
    quint16 port() const { return port_; }

private:
    void initCluster();
    void runTool(const QString& tool, const QStringList& arguments, int timeoutMs);
    qint64 postmasterPid() const;
    bool postmasterGone(qint64 pid) const;
    // The postmaster and its children, by /proc.
    QList<qint64> serverProcesses() const;

    QTemporaryDir dir_;
    QString dataDir_;
    quint16 port_ = 0;
    qint64 pid_ = 0;
};
