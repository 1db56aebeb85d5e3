#include "ServerLoad.h"

#include "LoadConnection.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <memory>
#include <stdexcept>
#include <vector>

namespace ServerLoad {

LatencyStats run(quint16 port, const CallMix& mix, int clients, std::chrono::milliseconds duration)
{
    LatencyStats stats;
    std::vector<std::unique_ptr<LoadConnection>> connections;
    QEventLoop loop;
    const auto maybeDone = [&] {
        for (const auto& c : connections) {
            if (!c->idle())
                return;
        }
        loop.quit();
    };
    for (int c = 0; c < clients; ++c) {
        connections.push_back(std::make_unique<LoadConnection>(port, mix, c, stats));
        QObject::connect(connections.back().get(), &LoadConnection::finished, &loop, maybeDone,
                         Qt::QueuedConnection);
    }
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(duration, &loop, [&] {
        for (const auto& c : connections)
            c->stop();
    });
    for (const auto& c : connections)
        c->start();
    loop.exec();
    stats.setElapsed(wall.nsecsElapsed());
    for (const auto& c : connections) {
        if (!c->failure().isEmpty())
            throw std::runtime_error(c->failure().toStdString());
    }
    return stats;
}

} // namespace ServerLoad
