#pragma once

#include "HttpRequestReader.h"

#include <QAbstractSocket>
#include <QElapsedTimer>
#include <QObject>
#include <chrono>

class QSslSocket;
class QTcpSocket;
class RpcEndpoint;

// One keep-alive client connection: reads its requests in order, answers each through the endpoint,
// and closes after a refusal or when the client asked for it. It stops reading while more than
// `maxUnsentBytes` of answers wait for the client to take them, and says when it has overstayed (idle,
// a head or body late); the owner then ends it. Owns its socket. A QSslSocket is read only once
// encrypted; its handshake is timed as a request's head, and one that fails ends the connection. The
// first head is timed from the connection's start: a client that connects and says nothing is as slow
// as one that never ends its head. An answer given while the turn's saves wait for their commit stays
// unsent, with everything after it, until they are on disk; when they are not, the connection is reset.
class HttpConnection : public QObject {
    Q_OBJECT

public:
    struct Limits {
        std::chrono::milliseconds idleTimeout{60000};
        // Counted from a request's first byte, blank lines before it included; the first request's from the
        // connection's start.
        std::chrono::milliseconds headTimeout{10000};
        std::chrono::milliseconds bodyTimeout{60000};
        qint64 maxBodyBytes = 8 * 1024 * 1024;
        qint64 maxUnsentBytes = 1024 * 1024;
    };

    HttpConnection(QTcpSocket* socket, RpcEndpoint& endpoint, const Limits& limits, QObject* parent);

    // Idle too long, a request late, answers not taken, or a goodbye not acknowledged.
    bool overdue() const;
    // Ends the connection at once with a reset, dropping whatever answers are unsent.
    void abort();
    // The server is stopping: an idle connection says goodbye now, one with a request under way after
    // answering it.
    void finish();

signals:
    // The socket is closed; the connection may be deleted.
    void closed();
    // The first request is answered: the client has shown it speaks HTTP.
    void firstAnswered();

private:
    void encrypted();
    void handshakeFailed(QAbstractSocket::SocketError error);
    // Answers and TLS records not yet taken by the kernel.
    qint64 unsent() const;
    bool refusedInClear(const HttpRequest& request);
    void readRequests();
    void serve();
    void requestDone();
    // After an answer is queued: while a commit is pending, it and what follows wait for it.
    void holdForCommit();
    void commitSettled(bool committed);
    // Sends what is queued, unless it waits for a commit.
    void push();
    void sent();
    void refuse(int status, const QByteArray& text);
    // Sends what is queued, then closes our side while still reading (and dropping) what the client
    // sends: closing at once with its bytes unread would reset the connection before it read the answer.
    void close();
    void closeOurSide();
    void ended();

    QTcpSocket* socket_;
    QSslSocket* tls_; // the same socket when it speaks TLS, else null
    RpcEndpoint& endpoint_;
    HttpRequestReader reader_;
    const Limits limits_;
    const bool loopbackPeer_;
    QElapsedTimer sinceActive_;  // the last answer sent, or bytes taken by the client
    QElapsedTimer sinceRequest_; // the first byte of the request being read
    QElapsedTimer sinceClosing_;
    qint64 dropped_ = 0; // bytes received after the goodbye
    bool inRequest_ = false;
    bool headIn_ = false;
    bool paused_ = false;
    bool closing_ = false;
    bool halfClosed_ = false;
    bool ended_ = false;
    bool handshaking_ = false;
    bool finishing_ = false;
    bool answered_ = false;
    bool held_ = false;
};
