#include "AnswerDroppingProxy.h"

#include <QTcpSocket>
#include <memory>

AnswerDroppingProxy::AnswerDroppingProxy(quint16 serverPort, int drops, Afterwards afterwards)
    : serverPort_(serverPort), drops_(drops), afterwards_(afterwards)
{
    listener_.listen(QHostAddress::LocalHost);
    connect(&listener_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* client = listener_.nextPendingConnection())
            relay(client);
    });
}

void AnswerDroppingProxy::relay(QTcpSocket* client)
{
    client->setParent(this);
    auto* server = new QTcpSocket(client);
    server->connectToHost(QHostAddress::LocalHost, serverPort_);
    // Whether the answer now on its way belongs to a POST that is to be lost.
    const auto losing = std::make_shared<bool>(false);
    connect(client, &QTcpSocket::readyRead, server, [this, client, server, losing] {
        const QByteArray bytes = client->readAll();
        if (afterwards_ == Afterwards::Unavailable && dropped_ >= drops_) {
            client->write("HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\n\r\n");
            return;
        }
        if (bytes.startsWith("POST") && dropped_ < drops_)
            *losing = true;
        server->write(bytes);
    });
    connect(server, &QTcpSocket::readyRead, client, [this, client, server, losing] {
        const QByteArray answer = server->readAll();
        if (!*losing) {
            client->write(answer);
            return;
        }
        if (++dropped_ == drops_ && afterwards_ == Afterwards::Refuse)
            listener_.close();
        client->abort();
        client->deleteLater();
    });
    connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
}
