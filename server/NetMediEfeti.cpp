#include "NetMediEfeti.h"

#include "Quarvel.h"
#include "TNetConnection.h"

TNetConnection* createNetMediEfeti(QObject* parent)
{
    auto* connection = new TNetConnection(parent);
    connection->setObjectName(QStringLiteral("netMediEfeti"));
    connection->SetServerName(QStringLiteral("Med00418.rdmMediEfeti"));
    connection->SetThrowException(false);
    return connection;
}

void applyServerAddress(TNetConnection& connection)
{
    connection.SetPort(Quarvel::WebPort());
    connection.SetHost(Quarvel::WebURL());
}
