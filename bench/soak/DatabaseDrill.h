#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QString>

// Faults on the replicated database of a group that scripts/cluster.sh started with start-replicated:
// every 20 to 30 s (at random) the primary's PostgreSQL is killed with SIGKILL or Patroni is asked to
// switch over, in turn. Each fault waits for the standby to be synchronous again, so there is always
// someone to fail over to; each one's window lasts until a write commits through the frontend again.
class DatabaseDrill {
public:
    struct Fault {
        qint64 atMs = 0; // from the soak's start
        bool switchover = false;
        QString what;
        qint64 windowMs = 0; // without a primary taking writes
    };

    // `lagSeconds` above 0: before each kill the primary's WAL sender is held that long, as when a
    // standby falls behind (the audit's own check, with an asynchronous standby).
    DatabaseDrill(QString clusterScript, const QElapsedTimer& clock, double lagSeconds);
    // Blocks until `untilMs`; faults `minEveryMs` to `maxEveryMs` apart; `maxEveryMs` 0: none.
    void run(qint64 minEveryMs, qint64 maxEveryMs, qint64 untilMs);
    const QList<Fault>& faults() const { return faults_; }

private:
    void fault(bool switchover);
    QString script(const QStringList& arguments);

    QString script_;
    const QElapsedTimer& clock_;
    double lagSeconds_;
    QList<Fault> faults_;
};
