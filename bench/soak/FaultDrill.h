#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QString>

// Faults on a group started by scripts/cluster.sh: every so often one server (in turn) is killed
// with SIGKILL by its recorded id and started again on its port; once, midway, PostgreSQL is
// restarted instead.
class FaultDrill {
public:
    struct Fault {
        qint64 atMs = 0; // from the soak's start
        bool postgres = false;
        QString what;
        qint64 recoveryMs = 0; // until the script had it answering again
    };

    FaultDrill(QString clusterScript, QString home, int servers, const QElapsedTimer& clock);
    // Blocks until `untilMs`; `everyMs` 0 means no faults at all.
    void run(qint64 everyMs, qint64 untilMs);
    const QList<Fault>& faults() const { return faults_; }

private:
    void killServer(int server);
    void restartPostgres();
    bool script(const QStringList& arguments);

    QString script_;
    QString home_;
    int servers_;
    const QElapsedTimer& clock_;
    QList<Fault> faults_;
};
