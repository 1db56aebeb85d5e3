#include "ListenerThread.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <memory>

ListenerThread::ListenerThread(Serve serve) : serve_(std::move(serve))
{
    std::atomic<quint16> port = 0;
    thread_ = std::thread([this, &port] { run(port); });
    while (port == 0)
        std::this_thread::yield();
    port_ = port;
}

ListenerThread::~ListenerThread()
{
    stopping_ = true;
    thread_.join();
}

void ListenerThread::run(std::atomic<quint16>& port)
{
    QTcpServer listener;
    listener.listen(QHostAddress::LocalHost);
    port = listener.serverPort();
    while (!stopping_) {
        if (!listener.waitForNewConnection(PollMs))
            continue;
        const std::unique_ptr<QTcpSocket> socket(listener.nextPendingConnection());
        serve_(*socket, stopping_);
    }
}
