#pragma once

#include "CallMix.h"
#include "LatencyStats.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>

// One simulated screen on its own keep-alive connection: it sends the next call of the mix as soon as
// the answer to the last one is in, until told to stop. A plain non-blocking socket that ServerLoad's
// poll loop drives, so the generator takes as little CPU from the server it measures as it can.
class LoadConnection {
public:
    LoadConnection(quint16 port, const CallMix& mix, int client, LatencyStats& stats,
                   const QByteArray& session = {});
    ~LoadConnection();
    LoadConnection(const LoadConnection&) = delete;
    LoadConnection& operator=(const LoadConnection&) = delete;

    int descriptor() const { return fd_; }
    void start();
    void stop() { stopping_ = true; }
    // Reads what arrived; answers that are complete are counted and followed by the next call.
    void onReadable();
    bool idle() const { return idle_; }
    const QString& failure() const { return failure_; }

private:
    void sendNext();
    // Length of the complete answer at the start of the buffer, or -1 while it is still arriving.
    qsizetype completeAnswer() const;
    void fail(const QString& why);

    int fd_ = -1;
    LatencyStats& stats_;
    QList<QByteArray> requests_;
    int next_ = 0;
    QByteArray buffer_;
    QElapsedTimer timer_;
    bool stopping_ = false;
    bool idle_ = false;
    QString failure_;
};
