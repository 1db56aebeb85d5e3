#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;

// An HTTP listener on 127.0.0.1 that fails the way the real application server never does, so the
// client's handling of those faults can be seen: it answers GET /health, then gives every call one
// scripted answer, or never answers at all. "%ID%" in a scripted body becomes the call's id.
class FaultyServer : public QObject {
    Q_OBJECT

public:
    enum class Mode { AnswerCalls, SilentCalls, SilentAlways };

    FaultyServer();

    quint16 port() const { return listener_.serverPort(); }
    void setMode(Mode mode) { mode_ = mode; }
    void setAnswer(int status, QByteArray body);
    // The body of the last call received.
    const QByteArray& lastCall() const { return lastCall_; }

private:
    void accept();
    void read(QTcpSocket* socket);
    // Handles one whole request at the start of `buffer` and removes it; false while it is incomplete.
    bool serveOne(QTcpSocket* socket, QByteArray& buffer);
    void answerCall(QTcpSocket* socket, const QByteArray& body);

    QTcpServer listener_;
    QHash<QTcpSocket*, QByteArray> pending_;
    Mode mode_ = Mode::AnswerCalls;
    int status_ = 200;
    QByteArray body_;
    QByteArray lastCall_;
};
