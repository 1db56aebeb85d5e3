#pragma once

#include "RemoteArg.h"
#include "RemoteValue.h"
#include "host_kit_export.h"

#include <QList>
#include <QPointer>
#include <QString>

class TNetConnection;

// The server object behind a connection, called by method name. Cheap to copy; calls raise once the
// connection is closed or gone.
class HOST_KIT_EXPORT RemoteServer {
public:
    explicit RemoteServer(TNetConnection& connection);

    // Calls `method` with `args` in order and returns its result. By-reference arguments receive the
    // server's new values once the call succeeds. A JSON-RPC error raises Exception with the server's
    // message as it came; any other failure raises Exception too.
    RemoteValue call(const QString& method, const QList<RemoteArg>& args = {}) const;

private:
    QPointer<TNetConnection> connection_;
};
