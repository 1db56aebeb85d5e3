// One small call (GetVerifServ) through the host's client, TNetConnection, against the same call sent
// byte for byte by a blocking QTcpSocket keep-alive client, on the same local application server.
// Rounds alternate between the two; prints the medians per call and their ratio.
#include "AppServerProcess.h"
#include "BenchRun.h"
#include "HostSession.h"
#include "NetMediEfeti.h"
#include "RdmMediEfeti.h"
#include "SettingsFile.h"
#include "TNetConnection.h"
#include "TestAccount.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <cstdio>
#include <ctime>
#include <functional>
#include <stdexcept>

namespace {

const QString Branch = QStringLiteral("0001");
const QString Service = QStringLiteral("00001");

// HTTP/1.1 keep-alive with blocking reads: the head up to its end, then its Content-Length of body.
class BlockingClient {
public:
    explicit BlockingClient(quint16 port)
    {
        socket_.connectToHost(QHostAddress::LocalHost, port);
        if (!socket_.waitForConnected(5000))
            throw std::runtime_error("the blocking client could not connect");
        socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    }

    QByteArray call(const QByteArray& request)
    {
        socket_.write(request);
        socket_.flush();
        QByteArray buffer;
        qsizetype headEnd = -1;
        while ((headEnd = buffer.indexOf("\r\n\r\n")) < 0)
            buffer += next();
        const qsizetype at = buffer.toLower().indexOf("content-length:");
        const qsizetype total =
            headEnd + 4 + buffer.mid(at + 15, headEnd - at - 15).split('\r')[0].trimmed().toLongLong();
        while (buffer.size() < total)
            buffer += next();
        return buffer.mid(headEnd + 4);
    }

private:
    QByteArray next()
    {
        if (socket_.bytesAvailable() == 0 && !socket_.waitForReadyRead(5000))
            throw std::runtime_error("the blocking client got no answer");
        return socket_.readAll();
    }

    QTcpSocket socket_;
};

// The same session as the host's client carries: both sides pay for its check.
QByteArray requestOf(quint16 port, const QByteArray& session)
{
    const QByteArray body = R"({"jsonrpc":"2.0","id":1,"method":"GetVerifServ","params":[")" +
                            Branch.toUtf8() + R"(",")" + QDate::currentDate().toString(Qt::ISODate).toUtf8() +
                            R"(",")" + Service.toUtf8() + R"("]})";
    return "POST /Med00418.rdmMediEfeti HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
           "\r\nAccept-Encoding: identity\r\nAuthorization: Bearer " + session +
           "\r\nContent-Type: application/json\r\nIdempotency-Key: "
           "00000000-0000-0000-0000-000000000000\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

double threadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e9 + double(now.tv_nsec);
}

// Microseconds per call over `calls` calls: wall time, and the calling thread's CPU time.
struct PerCall {
    double wallUs;
    double cpuUs;
};

PerCall perCall(int calls, const std::function<void()>& call)
{
    QElapsedTimer timer;
    timer.start();
    const double cpuBefore = threadCpuNs();
    for (int i = 0; i < calls; ++i)
        call();
    return {double(timer.nsecsElapsed()) / 1e3 / calls, (threadCpuNs() - cpuBefore) / 1e3 / calls};
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    try {
        const int rounds = BenchRun::size(41, 1);
        const int calls = BenchRun::size(200, 20);
        // One worker serves both clients: with two, each connection lands on a worker of its own, and
        // whichever client draws the slower-waking worker costs twice the other, whatever its code.
        AppServerProcess server(
            {}, {QStringLiteral("--seed-demo"), QStringLiteral("--workers"), QStringLiteral("1")});
        server.start();
        SettingsFile settings;
        settings.useServer(server.port());

        std::unique_ptr<TNetConnection> link(createNetMediEfeti(nullptr));
        applyServerAddress(*link);
        link->Open();
        HostSession::instance().signIn(*link, QString::fromLatin1(TestAccount::Login),
                                       QString::fromLatin1(TestAccount::Password));
        const RdmMediEfeti rdm(*link);
        const TDateTime today = TDateTime::fromDate(QDate::currentDate());
        BlockingClient blocking(server.port());
        const QByteArray request = requestOf(server.port(), HostSession::instance().token());
        const QByteArray expected = blocking.call(request);
        if (!expected.contains("\"result\""))
            throw std::runtime_error("the blocking client's call failed: " + expected.toStdString());

        QList<double> hostWall, bareWall, hostCpu, bareCpu, wallRatios;
        for (int round = 0; round < rounds; ++round) {
            const PerCall host = perCall(calls, [&] { rdm.GetVerifServ(Branch, today, Service); });
            const PerCall bare = perCall(calls, [&] { blocking.call(request); });
            hostWall << host.wallUs;
            bareWall << bare.wallUs;
            hostCpu << host.cpuUs;
            bareCpu << bare.cpuUs;
            wallRatios << host.wallUs / bare.wallUs;
        }
        std::printf("One small call (GetVerifServ), local application server, %d rounds of %d calls each, "
                    "alternating; load %s\n",
                    rounds, calls, BenchRun::load().constData());
        std::printf("  %-40s %10s %14s\n", "median per call", "wall us", "client CPU us");
        std::printf("  %-40s %10.1f %14.1f\n", "host client (TNetConnection)", BenchRun::median(hostWall),
                    BenchRun::median(hostCpu));
        std::printf("  %-40s %10.1f %14.1f\n", "blocking QTcpSocket keep-alive client",
                    BenchRun::median(bareWall), BenchRun::median(bareCpu));
        const double ratio = BenchRun::median(wallRatios);
        std::printf("  host / blocking, median of the rounds' wall ratios: %.2f%s; client CPU ratio %.2f\n",
                    ratio, ratio <= 1.5 ? "  target met (<= 1.5)" : "  TARGET MISSED (<= 1.5)",
                    BenchRun::median(hostCpu) / BenchRun::median(bareCpu));
        link->Close();
        if (server.stop() != 0)
            throw std::runtime_error("the server did not stop cleanly");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_netconnection: %s\n", e.what());
        return 1;
    }
    return 0;
}
