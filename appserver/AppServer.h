#pragma once

#include "AppServerOptions.h"

#include <QObject>
#include <QTimer>
#include <memory>

class Database;
class LimitedTcpServer;
class RdmMediEfeti;
class RpcDispatcher;
class RpcEndpoint;

// The whole server: database brought up to date, the remote object, and the HTTP endpoint listening.
class AppServer : public QObject {
    Q_OBJECT

public:
    // Opens and migrates the database (seeding it when asked). Throws Exception when it cannot.
    explicit AppServer(const AppServerOptions& options, QObject* parent = nullptr);
    ~AppServer() override;

    // Starts listening and returns the bound port. Throws Exception when the address is taken.
    quint16 listen();

private:
    void purgeReservations();

    AppServerOptions options_;
    std::unique_ptr<Database> database_;
    std::unique_ptr<RdmMediEfeti> methods_;
    std::unique_ptr<RpcDispatcher> dispatcher_;
    std::unique_ptr<RpcEndpoint> endpoint_;
    LimitedTcpServer* tcpServer_ = nullptr; // owned by endpoint_ once bound
    QTimer purgeTimer_;
};
