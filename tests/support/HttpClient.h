#pragma once

#include <QByteArray>
#include <QString>
#include <QTcpSocket>
#include <memory>

// A blocking HTTP/1.1 client on one keep-alive connection, for tests and the load generator. Usable
// from any thread without an event loop. A lost connection is opened again on the next request. When a
// server answers a call with 401 for want of a session, the client signs in (TestAccount unless told
// otherwise), takes the session as its bearer token and sends the call once more.
class HttpClient {
public:
    struct Response {
        int status = 0; // 0: no answer (connection refused, closed or timed out)
        QByteArray body;
        QString error;
    };

    HttpClient(QString host, quint16 port, QByteArray token = {});
    ~HttpClient();

    Response post(const QByteArray& path, const QByteArray& body);
    Response get(const QByteArray& path);
    // Sends bytes as they are and reads one answer: for requests no well-behaved client writes.
    Response sendRaw(const QByteArray& request);

    void setTimeout(int milliseconds) { timeoutMs_ = milliseconds; }
    void setToken(const QByteArray& token) { token_ = token; }
    const QByteArray& token() const { return token_; }
    // Who to sign in as when a server asks for a session; an empty login never signs in.
    void setSignIn(const QByteArray& login, const QByteArray& password);
    // Login(login, password) now; on success its session becomes the bearer token. The Login answer.
    Response signIn(const QByteArray& login, const QByteArray& password);
    // Sent as Idempotency-Key with every POST while set (empty: none).
    void setRequestId(const QByteArray& id) { requestId_ = id; }
    // Sent as X-Med-User with every POST while set (empty: none).
    void setUser(const QByteArray& user) { user_ = user; }
    void disconnect();

private:
    Response postOnce(const QByteArray& path, const QByteArray& body);
    bool ensureConnected(QString& error);
    Response readResponse();
    bool readLine(QByteArray& line);
    bool readExactly(qint64 size, QByteArray& out);

    QString host_;
    quint16 port_;
    QByteArray token_;
    QByteArray requestId_;
    QByteArray user_;
    QByteArray login_;
    QByteArray password_;
    int timeoutMs_ = 30000;
    std::unique_ptr<QTcpSocket> socket_;
};
