#include "PausingServer.h"

#include <QRegularExpression>
#include <QTcpSocket>
#include <thread>

namespace {

constexpr int PollMs = ListenerThread::PollMs;

// One whole request (head and Content-Length body); empty once the client is gone.
QByteArray readRequest(QTcpSocket& socket, const std::atomic<bool>& stopping)
{
    static const QRegularExpression length(QStringLiteral("content-length: *(\\d+)"),
                                           QRegularExpression::CaseInsensitiveOption);
    QByteArray request;
    while (socket.state() == QAbstractSocket::ConnectedState && !stopping) {
        const qsizetype headEnd = request.indexOf("\r\n\r\n");
        if (headEnd >= 0) {
            const auto match = length.match(QString::fromLatin1(request.left(headEnd)));
            if (request.size() >= headEnd + 4 + (match.hasMatch() ? match.captured(1).toLongLong() : 0))
                return request;
        }
        if (socket.waitForReadyRead(PollMs))
            request += socket.readAll();
    }
    return {};
}

QByteArray idOf(const QByteArray& request)
{
    static const QRegularExpression id(QStringLiteral(R"("id":(\d+))"));
    return id.match(QString::fromLatin1(request)).captured(1).toLatin1();
}

} // namespace

PausingServer::PausingServer(QList<QByteArray> pieces, int pauseMs)
    : pieces_(std::move(pieces)), pauseMs_(pauseMs),
      listener_([this](QTcpSocket& socket, const std::atomic<bool>& stopping) { serve(socket, stopping); })
{}

void PausingServer::serve(QTcpSocket& socket, const std::atomic<bool>& stopping) const
{
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    for (QByteArray request; !(request = readRequest(socket, stopping)).isEmpty();) {
        if (request.startsWith("GET /health")) {
            socket.write("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
            socket.waitForBytesWritten(PollMs);
            continue;
        }
        for (qsizetype i = 0; i < pieces_.size(); ++i) {
            if (i > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs_));
            socket.write(QByteArray(pieces_[i]).replace("%ID%", idOf(request).leftJustified(4, ' ')));
            socket.waitForBytesWritten(PollMs);
        }
    }
}
