#pragma once

#include "HttpAnswer.h"

#include <QSslConfiguration>
#include <QString>
#include <memory>
#include <optional>

class QTcpSocket;

// One HTTP/1.1 connection to a server, kept alive between requests, over TLS when given a
// configuration (the server's certificate verified against it for the host's name, never waived).
// A request is sent whole and its answer waited for in a local event loop that repaints but takes no
// user input (an answer within 2 ms, too soon for anything to repaint, is taken without it); answers are read
// as they come, never more than `maxAnswerBytes` of body held (the socket itself buffers a bounded amount).
// Redirects are answers like any other. Never raises.
class HttpLink {
public:
    HttpLink(QString host, quint16 port, std::optional<QSslConfiguration> tls);
    ~HttpLink();
    HttpLink(const HttpLink&) = delete;
    HttpLink& operator=(const HttpLink&) = delete;

    // `request` is the whole request, head and body. Opens the connection first when there is none
    // (or the server closed the one kept); drops it after any answer that does not leave it reusable.
    HttpAnswer exchange(const QByteArray& request, int timeoutMs, qint64 maxAnswerBytes);
    // Drops the connection kept alive, if any.
    void close();

private:
    struct Exchange;

    // A kept connection that the server has not closed and that holds no stray bytes.
    bool stillOpen() const;
    void open();
    // On a connection that is ready, sends the request and takes an answer that comes within a couple of
    // milliseconds without the event loop; true when the exchange is over.
    bool quickAnswer(Exchange& exchange, int timeoutMs);
    bool quickAnswerThroughQt(Exchange& exchange, int quickMs);
    // Through the descriptor (PlainSocket), sparing QTcpSocket's notifiers and copies.
    bool quickPlainAnswer(Exchange& exchange, int quickMs);
    // Waits, repainting, until the exchange is over or `timeoutMs` passed; the one place a call waits.
    void wait(Exchange& exchange, int timeoutMs);
    HttpAnswer outcomeOf(Exchange& exchange);
    // What the socket holds, read into buffer_ (valid until the next read).
    QByteArrayView takeAvailable();

    QString host_;
    quint16 port_;
    std::optional<QSslConfiguration> tls_;
    std::unique_ptr<QTcpSocket> socket_;
    QByteArray buffer_; // what was read last, SocketBufferBytes at most
};
