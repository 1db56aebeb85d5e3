#include "EndlessAnswerServer.h"

#include <QTcpSocket>

namespace {

constexpr int PollMs = ListenerThread::PollMs;

// Reads up to the end of a request's head; a call's small body is read along with it or left unread.
QByteArray readHead(QTcpSocket& socket, const std::atomic<bool>& stopping)
{
    QByteArray head;
    while (!head.contains("\r\n\r\n") && socket.state() == QAbstractSocket::ConnectedState && !stopping) {
        if (socket.waitForReadyRead(PollMs))
            head += socket.readAll();
    }
    return head;
}

void sendWithoutEnd(QTcpSocket& socket, EndlessAnswerServer::Framing framing,
                    const std::atomic<bool>& stopping)
{
    const QByteArray data(64 * 1024, 'x');
    const bool chunked = framing == EndlessAnswerServer::Framing::Chunked;
    socket.write(chunked ? "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                         : "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
    const QByteArray piece = chunked ? QByteArray::number(data.size(), 16) + "\r\n" + data + "\r\n" : data;
    while (socket.state() == QAbstractSocket::ConnectedState && !stopping) {
        if (socket.bytesToWrite() < piece.size())
            socket.write(piece);
        socket.waitForBytesWritten(PollMs);
    }
}

} // namespace

EndlessAnswerServer::EndlessAnswerServer(Framing framing)
    : framing_(framing),
      listener_([this](QTcpSocket& socket, const std::atomic<bool>& stopping) { serve(socket, stopping); })
{}

void EndlessAnswerServer::serve(QTcpSocket& socket, const std::atomic<bool>& stopping) const
{
    while (socket.state() == QAbstractSocket::ConnectedState && !stopping) {
        const QByteArray head = readHead(socket, stopping);
        if (head.startsWith("GET /health"))
            socket.write("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
        else if (!head.isEmpty())
            sendWithoutEnd(socket, framing_, stopping);
    }
}
