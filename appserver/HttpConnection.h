#pragma once

#include "HttpRequestReader.h"

#include <QElapsedTimer>
#include <QObject>

class QTcpSocket;
class RpcEndpoint;

// One keep-alive client connection: reads its requests in order, answers each through the endpoint,
// and closes after a refusal or when the client asked for it. Owns its socket.
class HttpConnection : public QObject {
    Q_OBJECT

public:
    HttpConnection(QTcpSocket* socket, RpcEndpoint& endpoint, qint64 maxBodyBytes, QObject* parent);

    qint64 idleMs() const { return sinceActive_.elapsed(); }
    void close();

signals:
    // The socket is closed; the connection may be deleted.
    void closed();

private:
    void readRequests();
    void refuse(int status, const QByteArray& text);

    QTcpSocket* socket_;
    RpcEndpoint& endpoint_;
    HttpRequestReader reader_;
    QElapsedTimer sinceActive_;
    bool closing_ = false;
};
