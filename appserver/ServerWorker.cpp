#include "ServerWorker.h"

#include "Database.h"
#include "DatabaseSpec.h"
#include "RdmMediEfeti.h"
#include "RpcDispatcher.h"
#include "RpcEndpoint.h"
#include "SqlFailure.h"

#include <unistd.h>

ServerWorker::ServerWorker(const AppServerOptions& options, qintptr listeningSocket,
                           ConnectionBalancer& balancer)
    : options_(options), listeningSocket_(listeningSocket), balancer_(balancer)
{}

ServerWorker::~ServerWorker()
{
    quit();
    wait();
}

void ServerWorker::startServing()
{
    start();
    ready_.acquire();
    if (!failure_.isEmpty()) {
        wait();
        throw Exception(failure_);
    }
}

void ServerWorker::run()
{
    try {
        serve();
    } catch (const SqlFailure& failure) {
        failure_ = failure.Message() + QLatin1Char(' ') + failure.detail();
        ready_.release();
    } catch (const Exception& error) {
        failure_ = error.Message();
        ready_.release();
    }
}

void ServerWorker::serve()
{
    Database database(DatabaseSpec::parse(options_.database));
    RdmMediEfeti methods(database, options_.reservationTtl);
    RpcDispatcher dispatcher(methods, database, options_.requestIdTtl);
    RpcEndpoint endpoint(dispatcher, options_.token);
    LimitedTcpServer::Limits limits;
    limits.idleTimeout = options_.idleTimeout;
    limits.headTimeout = options_.headTimeout;
    limits.bodyTimeout = options_.bodyTimeout;
    limits.maxBodyBytes = options_.maxRequestBytes;
    limits.maxUnsentBytes = options_.maxUnsentBytes;
    LimitedTcpServer tcpServer(limits, balancer_, endpoint);
    if (!tcpServer.setSocketDescriptor(listeningSocket_)) {
        ::close(int(listeningSocket_));
        throw Exception(
            QStringLiteral("Cannot serve on the listening socket: %1").arg(tcpServer.errorString()));
    }
    ready_.release();
    exec();
}
