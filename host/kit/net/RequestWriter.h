#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// The bytes of the HTTP requests one open connection sends to its server: a GET of a path, or a call
// (a POST of a JSON-RPC body to the server object) with a request id of its own. What stays the same
// from call to call (request line, Host, the Authorization of the last token) is written once. Raises
// Exception when a token would cross the network in clear (plain http to another machine).
class RequestWriter {
public:
    // `base`: scheme, host and port; `address`: "host:port" for messages.
    RequestWriter(QUrl base, QString address);

    QByteArray get(const QString& path, const QString& token);
    // The request id (Idempotency-Key) is this connection's random prefix and a count, so that no two
    // calls of any host share one.
    QByteArray call(const QString& serverName, const QString& token, const QByteArray& body);

private:
    // "METHOD PATH HTTP/1.1" and the headers every request carries, each line ending in CRLF.
    QByteArray head(QByteArrayView method, const QString& path) const;
    // The Authorization line of `token`, empty for none.
    const QByteArray& authorization(const QString& token);

    QUrl base_;
    QString address_;
    bool mayCarryToken_ = false;
    QString callHeadFor_;
    QByteArray callHead_;
    QString token_;
    QByteArray authorization_;
    QByteArray requestIdPrefix_;
    quint64 lastRequestId_ = 0;
};
