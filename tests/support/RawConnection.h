#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

// A TCP client with none of QTcpSocket's buffering, for clients no well-behaved program is: it sends
// only what the kernel takes at once, reads only when asked, and may connect from any local address
// (on Linux all of 127.0.0.0/8 is loopback, so 127.0.0.2 is "another client machine"). Closes on
// destruction.
class RawConnection {
public:
    // `receiveBuffer` > 0 shrinks the kernel's receive buffer, so unread answers back up quickly.
    explicit RawConnection(quint16 port, const char* from = "127.0.0.1", int receiveBuffer = 0);
    ~RawConnection();
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool connected() const { return connected_; }
    // Sends what the kernel takes now, without waiting: the count taken, or -1 once the connection failed.
    qint64 sendSome(QByteArrayView bytes);
    // Sends everything, waiting at most `ms`; false when the connection failed or time ran out.
    bool sendAll(QByteArrayView bytes, int ms);
    // Reads what arrives within `ms` (returns early once something came).
    QByteArray receive(int ms);
    // True once the server ended the connection (reset it, or closed its side), whatever is unread.
    bool ended() const;
    // Waits up to `ms` for `ended()`.
    bool endedWithin(int ms) const;

private:
    int fd_ = -1;
    bool connected_ = false;
};
