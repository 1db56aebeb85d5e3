#pragma once

#include "CallMix.h"
#include "LatencyStats.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTcpSocket>

// One simulated screen on its own keep-alive connection, driven by the event loop: it sends the next
// call of the mix as soon as the answer to the last one is in, until told to stop.
class LoadConnection : public QObject {
    Q_OBJECT

public:
    LoadConnection(quint16 port, const CallMix& mix, int client, LatencyStats& stats,
                   QObject* parent = nullptr);

    void start();
    void stop() { stopping_ = true; }
    bool idle() const { return idle_; }
    const QString& failure() const { return failure_; }

signals:
    void finished();

private:
    void sendNext();
    void onReadyRead();
    // Length of the complete answer at the start of the buffer, or -1 while it is still arriving.
    qsizetype completeAnswer() const;
    void fail(const QString& why);

    QTcpSocket socket_;
    quint16 port_;
    LatencyStats& stats_;
    QList<QByteArray> requests_;
    int next_ = 0;
    QByteArray buffer_;
    QElapsedTimer timer_;
    bool stopping_ = false;
    bool idle_ = false;
    QString failure_;
};
