// A burst through HAProxy in front of a group of two servers (scripts/cluster.sh, as an administrator
// starts it): two hundred keep-alive clients calling at once for 15 s. Every call is answered 200, and
// HAProxy never takes a server out of the rotation, as its stats socket tells.
#include "HttpClient.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <memory>
#include <vector>

namespace {

constexpr int Clients = 200;
constexpr int LoadMs = 15000;
const QByteArray Call = R"({"jsonrpc":"2.0","id":1,"method":"GetPrxRelApurFat","params":["0001"]})";

QString clusterScript()
{
    return qEnvironmentVariable("MED_SOURCE_DIR") + QStringLiteral("/scripts/cluster.sh");
}

// One row of HAProxy's "show stat": its CSV fields by the names of the header line.
using StatRow = QHash<QByteArray, QByteArray>;

QList<StatRow> haproxyStats(const QString& socketPath)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(5000))
        return {};
    socket.write("show stat\n");
    socket.waitForBytesWritten(5000);
    QByteArray text;
    while (socket.state() == QLocalSocket::ConnectedState && socket.waitForReadyRead(5000))
        text += socket.readAll();
    text += socket.readAll();
    const QList<QByteArray> lines = text.split('\n');
    if (lines.isEmpty() || !lines.first().startsWith("# "))
        return {};
    const QList<QByteArray> names = lines.first().mid(2).split(',');
    QList<StatRow> rows;
    for (const QByteArray& line : lines.mid(1)) {
        const QList<QByteArray> fields = line.split(',');
        if (fields.size() < names.size())
            continue;
        StatRow row;
        for (qsizetype i = 0; i < names.size(); ++i)
            row.insert(names[i], fields[i]);
        rows.append(row);
    }
    return rows;
}

} // namespace

class ClusterBurstTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void burstIsQueuedNotRefused();
    void cleanupTestCase();

private:
    QString cluster(const QStringList& arguments, int* exitCode = nullptr);

    QTemporaryDir home_{QStringLiteral("/tmp/med-burst-XXXXXX")};
    quint16 port_ = 0;
    QByteArray session_;
};

QString ClusterBurstTest::cluster(const QStringList& arguments, int* exitCode)
{
    QProcess script;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MED_CLUSTER_HOME"), home_.path());
    script.setProcessEnvironment(environment);
    script.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    script.start(QStringLiteral("bash"), QStringList{clusterScript()} + arguments);
    script.waitForFinished(180000);
    if (exitCode)
        *exitCode = script.exitStatus() == QProcess::NormalExit ? script.exitCode() : -1;
    return QString::fromUtf8(script.readAllStandardOutput()).trimmed();
}

void ClusterBurstTest::initTestCase()
{
    QVERIFY(home_.isValid());
    int exitCode = 0;
    const QString url = cluster({QStringLiteral("start"), QStringLiteral("2")}, &exitCode);
    if (exitCode == 77)
        QSKIP("HAProxy is not installed");
    QCOMPARE(exitCode, 0);
    port_ = quint16(QUrl(url).port());
    QVERIFY2(port_ != 0, qPrintable(url));
    // The group's load account signs in once; every client carries its session.
    session_ = cluster({QStringLiteral("session")}, &exitCode).toLatin1();
    QCOMPARE(exitCode, 0);
    QVERIFY(!session_.isEmpty());
}

void ClusterBurstTest::burstIsQueuedNotRefused()
{
    std::atomic<qint64> answered200 = 0;
    std::atomic<qint64> otherwise = 0;
    QHash<int, int> statuses;
    QMutex statusesLock;
    std::atomic<bool> go = false;
    const QDeadlineTimer end(LoadMs + 2000);
    std::vector<std::unique_ptr<QThread>> clients;
    for (int c = 0; c < Clients; ++c) {
        clients.emplace_back(QThread::create([&, this] {
            HttpClient client(QStringLiteral("127.0.0.1"), port_, session_);
            client.setTimeout(60000);
            while (!go)
                QThread::msleep(10);
            while (!end.hasExpired()) {
                const HttpClient::Response answer = client.post("/Med00418.rdmMediEfeti", Call);
                (answer.status == 200 && answer.body.contains("\"result\"") ? answered200 : otherwise)++;
                if (answer.status != 200) {
                    const QMutexLocker lock(&statusesLock);
                    ++statuses[answer.status];
                }
            }
        }));
        clients.back()->start();
    }
    go = true;
    for (auto& client : clients)
        QVERIFY(client->wait(120000));
    qInfo("%lld calls answered 200, %lld otherwise", answered200.load(), otherwise.load());
    for (auto at = statuses.cbegin(); at != statuses.cend(); ++at)
        qInfo("  status %d: %d", at.key(), at.value());

    const QList<StatRow> stats = haproxyStats(home_.filePath(QStringLiteral("haproxy.sock")));
    int servers = 0;
    for (const StatRow& row : stats) {
        if (row.value("pxname") != "servers" || !row.value("svname").startsWith("app"))
            continue;
        ++servers;
        qInfo("%s: status %s, went down %s times, 5xx answers %s, queued at most %s",
              row.value("svname").constData(), row.value("status").constData(),
              row.value("chkdown").constData(), row.value("hrsp_5xx").constData(),
              row.value("qmax").constData());
        QVERIFY2(row.value("status").startsWith("UP"), row.value("svname").constData());
        QCOMPARE(row.value("chkdown"), QByteArray("0"));
    }
    QCOMPARE(servers, 2);
    QCOMPARE(otherwise.load(), 0);
    QVERIFY(answered200.load() > 0);
}

void ClusterBurstTest::cleanupTestCase()
{
    cluster({QStringLiteral("stop")});
}

QTEST_GUILESS_MAIN(ClusterBurstTest)

#include "tst_cluster_burst.moc"
