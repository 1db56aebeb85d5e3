#pragma once

#include <QByteArray>
#include <QString>

class Database;
class RdmMediEfeti;

// Turns one JSON-RPC request body into its answer. Every error becomes an error answer: the caller
// always has something to send.
class RpcDispatcher {
public:
    struct Outcome {
        QByteArray body;
        QString method;
        QString summary; // "ok" or "error CODE", for the log
    };

    RpcDispatcher(RdmMediEfeti& methods, Database& database) : methods_(methods), database_(database) {}

    Outcome handle(const QByteArray& requestBody);

private:
    RdmMediEfeti& methods_;
    Database& database_;
};
