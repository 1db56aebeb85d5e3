#pragma once

#include "CallSettings.h"
#include "HttpAnswer.h"
#include "RemoteServer.h"
#include "TEvent.h"
#include "host_kit_export.h"

#include <QObject>
#include <QString>
#include <QUrl>
#include <memory>

class HttpLink;
class QSslConfiguration;
class RequestWriter;

// The link to one object of the application server: HTTP/1.1 keep-alive, JSON-RPC 2.0 calls
// (docs/protocol.md) to http://Host:Port/ServerName, or https when Host starts with "https://" (the
// certificate verified against Servidor/CAFile or the system's CAs, never waived). Calls are synchronous
// for the caller; every failure raises Exception with a message the user can read, ECallOutcomeUnknown
// when the call may have been applied without its answer arriving. Calls carry the session of the
// clerk signed in (HostSession), or the shared token while nobody is; when the server says the session
// ended, the clerk signs in again and the call goes on. Neither goes over plain http to another
// machine. The object name is the component name.
class HOST_KIT_EXPORT TNetConnection : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString ServerName READ ServerName WRITE SetServerName)
    Q_PROPERTY(QString Host READ Host WRITE SetHost)
    Q_PROPERTY(int Port READ Port WRITE SetPort)
    Q_PROPERTY(bool ThrowException READ ThrowException WRITE SetThrowException)
    Q_PROPERTY(bool Connected READ Connected WRITE SetConnected)

public:
    explicit TNetConnection(QObject* parent = nullptr);
    ~TNetConnection() override;

    // Path of the server object, e.g. "Med00418.rdmMediEfeti".
    const QString& ServerName() const { return serverName_; }
    void SetServerName(const QString& serverName) { serverName_ = serverName; }
    // Where Open connects ("host", "http://host" or "https://host"); changing them takes effect at the
    // next Open.
    const QString& Host() const { return host_; }
    void SetHost(const QString& host) { host_ = host; }
    int Port() const { return port_; }
    void SetPort(int port) { port_ = port; }
    // Kept for compatibility only: every failure raises Exception whatever its value.
    bool ThrowException() const { return throwException_; }
    void SetThrowException(bool throwException) { throwException_ = throwException; }

    bool Connected() const { return connected_; }
    void SetConnected(bool connected);
    // Raises BeforeConnect, then checks that a server answers GET /health at Host:Port within
    // Servidor/TimeoutMs; raises Exception naming host and port when none does. Does nothing when open.
    void Open();
    // Drops the kept-alive connections. A failed call leaves the connection open: the next one retries.
    void Close();

    // The server object, for late-bound calls.
    RemoteServer AppServer();

    // Raised with this connection as Sender at the start of every Open, before Host and Port are read.
    TEvent<QObject*> BeforeConnect;

private:
    friend class RemoteServer;
    qint64 nextCallId() { return ++lastCallId_; }
    // Posts one JSON-RPC body to the server object and returns the body of its 200 answer. Each call
    // carries a fresh request id; a call whose answer was lost (timed out, connection broken) is sent
    // again once, byte for byte, under the same id. Raises ECallOutcomeUnknown when a try may have
    // reached the server and no answer came back; Exception for every other failure.
    QByteArray post(const QByteArray& body);
    // One call as post() makes it, its lost answer retried; a 401 asking for a session is handed back,
    // every other failure raised. The body is the answer's.
    HttpAnswer postOnce(const QByteArray& body);

    // Whether any try of one call went out and lost its answer, whether one timed out, and why the
    // first one was lost.
    struct LostAnswers {
        bool any = false;
        bool timedOut = false;
        QString errorText;
        void note(const HttpAnswer& answer);
    };

    void checkHealth();
    // The body of a 200 answer; anything else raises, ECallOutcomeUnknown once any try lost its answer.
    // `waitedMs`: the call's whole wait, every try.
    QByteArray bodyOf(HttpAnswer answer, const LostAnswers& lost, qint64 waitedMs) const;
    // The scheme and host of Host, checked; raises when it is no address.
    void aim();

    QString serverName_;
    QString host_;
    int port_ = 0;
    bool throwException_ = true;
    bool connected_ = false;
    // Where the open connection goes, and its "host:port" for messages.
    QUrl base_;
    QString address_;
    std::unique_ptr<QSslConfiguration> tls_;  // for https: the CAs trusted
    std::unique_ptr<HttpLink> link_;          // to base_, kept alive between calls
    std::unique_ptr<RequestWriter> requests_; // to base_

    CallSettings callSettings_;
    qint64 lastCallId_ = 0;
};
