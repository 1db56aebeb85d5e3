#pragma once

#include <QByteArray>
#include <QTcpServer>

class QTcpSocket;

// An HTTP listener on 127.0.0.1 that fails the way the real application server never does: it answers
// GET /health, then gives every call the one scripted answer ("%ID%" becoming the call's id), or, when
// silent, leaves calls (or everything) unanswered, or hangs up on each call once it has read it. Given a
// head, the answer is that head, as it is, and the body after it.
class FaultyServer : public QObject {
    Q_OBJECT

public:
    enum class Silence { None, Calls, Everything, HangUp };

    explicit FaultyServer(Silence silence = Silence::None, int status = 200, QByteArray body = {},
                          QByteArray head = {});

    quint16 port() const { return listener_.serverPort(); }
    // The body of the last call received.
    const QByteArray& lastCall() const { return lastCall_; }

private:
    void serve(QTcpSocket* socket);

    QTcpServer listener_;
    Silence silence_;
    int status_;
    QByteArray body_;
    QByteArray head_;
    QByteArray lastCall_;
};
