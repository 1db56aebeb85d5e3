#include "AnswerDroppingProxy.h"

#include <QTcpSocket>
#include <memory>

AnswerDroppingProxy::AnswerDroppingProxy(quint16 serverPort, int drops)
    : serverPort_(serverPort), drops_(drops)
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
        ++dropped_;
        client->abort();
        client->deleteLater();
    });
    connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
}
