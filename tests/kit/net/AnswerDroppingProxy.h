#pragma once

#include <QObject>
#include <QTcpServer>

class QTcpSocket;

// A TCP relay on 127.0.0.1 in front of a real server that loses answers the way a cut connection
// does: the first `drops` POST requests reach the server, which answers them, but the relay then
// resets the client's connection instead of passing the answer on. After that, everything passes
// through, or the relay refuses every connection, or it answers every request 503 itself.
class AnswerDroppingProxy : public QObject {
    Q_OBJECT

public:
    enum class Afterwards { PassThrough, Refuse, Unavailable };

    AnswerDroppingProxy(quint16 serverPort, int drops, Afterwards afterwards = Afterwards::PassThrough);

    quint16 port() const { return listener_.serverPort(); }
    // POST requests whose answer was withheld so far.
    int dropped() const { return dropped_; }

private:
    void relay(QTcpSocket* client);

    QTcpServer listener_;
    quint16 serverPort_;
    int drops_;
    Afterwards afterwards_;
    int dropped_ = 0;
};
