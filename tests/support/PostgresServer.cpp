#include "PostgresServer.h"

#include "ProcessPause.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpServer>
#include <QThread>
#include <csignal>
#include <pwd.h>
#include <stdexcept>
#include <unistd.h>

namespace {

QString binDir()
{
    const QString fromEnvironment = qEnvironmentVariable("MED_PG_BIN");
    return fromEnvironment.isEmpty() ? QStringLiteral("/usr/lib/postgresql/15/bin") : fromEnvironment;
}

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Hands `path` to the postgres user, who must own the cluster's folders.
void giveToPostgres(const QString& path)
{
    const passwd* user = ::getpwnam("postgres");
    if (!user || ::chown(QFile::encodeName(path).constData(), user->pw_uid, user->pw_gid) != 0)
        throw std::runtime_error("cannot hand " + path.toStdString() + " to the postgres user");
}

[[noreturn]] void fail(const QString& what, const QByteArray& output)
{
    throw std::runtime_error((what + QStringLiteral(": ") + QString::fromLocal8Bit(output)).toStdString());
}

} // namespace

// In /tmp rather than TMPDIR: the postgres user must reach it, and the socket path must stay short.
PostgresServer::PostgresServer()
    : dir_(QStringLiteral("/tmp/med-pg-XXXXXX")), dataDir_(dir_.filePath(QStringLiteral("data")))
{}

PostgresServer::~PostgresServer()
{
    stop();
}

bool PostgresServer::available(QString* reason)
{
    for (const char* tool : {"initdb", "pg_ctl", "postgres"}) {
        if (!QFile::exists(binDir() + QLatin1Char('/') + QLatin1String(tool))) {
            if (reason)
                *reason = QStringLiteral("PostgreSQL is not installed (no %1 in %2)")
                              .arg(QLatin1String(tool), binDir());
            return false;
        }
    }
    if (runningAsRoot() && !::getpwnam("postgres")) {
        if (reason)
            *reason = QStringLiteral("running as root but there is no postgres user");
        return false;
    }
    return true;
}

void PostgresServer::runTool(const QString& tool, const QStringList& arguments, int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(dir_.path());
    const QString program = binDir() + QLatin1Char('/') + tool;
    if (runningAsRoot())
        process.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                                             QStringLiteral("--"), program} +
                                                     arguments);
    else
        process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        process.kill();
        process.waitForFinished();
        fail(tool + QStringLiteral(" failed"), process.readAll());
    }
}

void PostgresServer::initCluster()
{
    QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                           QFileDevice::ExeOther | QFileDevice::ReadGroup |
                                           QFileDevice::ExeGroup);
    if (runningAsRoot())
        giveToPostgres(dir_.path());
    runTool(QStringLiteral("initdb"),
            {QStringLiteral("-D"), dataDir_, QStringLiteral("-U"), QStringLiteral("postgres"),
             QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
             QStringLiteral("--locale=C"), QStringLiteral("--no-sync")},
            120000);
}

void PostgresServer::start()
{
    if (!dir_.isValid())
        throw std::runtime_error("no temporary folder for PostgreSQL");
    if (!QFile::exists(dataDir_))
        initCluster();
    // The same port across restarts, as a real server keeps its address.
    if (port_ == 0)
        port_ = freePort();
    // A test cluster: durability comes from the server's own commits, not from flushing to disk.
    const QString options = QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off "
                                           "-c full_page_writes=off -c max_connections=50")
                                .arg(port_)
                                .arg(dir_.path());
    runTool(QStringLiteral("pg_ctl"),
            {QStringLiteral("-D"), dataDir_, QStringLiteral("-l"),
             dir_.filePath(QStringLiteral("postgres.log")), QStringLiteral("-w"), QStringLiteral("-t"),
             QStringLiteral("60"), QStringLiteral("-o"), options, QStringLiteral("start")},
            90000);
    pid_ = postmasterPid();
}

qint64 PostgresServer::postmasterPid() const
{
    QFile file(dataDir_ + QStringLiteral("/postmaster.pid"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readLine().trimmed().toLongLong();
}

bool PostgresServer::postmasterGone(qint64 pid) const
{
    // The pid file goes when the postmaster ends cleanly; the process may linger as an unreaped zombie.
    return ::kill(pid_t(pid), 0) != 0 || !QFile::exists(dataDir_ + QStringLiteral("/postmaster.pid"));
}

void PostgresServer::stop()
{
    if (pid_ <= 0)
        return;
    const qint64 pid = pid_;
    pid_ = 0;
    ::kill(pid_t(pid), SIGINT); // fast shutdown: ends sessions, no waiting for clients
    QDeadlineTimer deadline(30000);
    while (!postmasterGone(pid) && !deadline.hasExpired())
        QThread::msleep(20);
    if (!postmasterGone(pid))
        ::kill(pid_t(pid), SIGKILL);
}

QList<qint64> PostgresServer::serverProcesses() const
{
    QList<qint64> out{pid_};
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!number || !stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold blanks, so count from its closing parenthesis.
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toLongLong() == pid_)
            out << pid;
    }
    return out;
}

void PostgresServer::pause()
{
    // A backend that ends meanwhile answers nothing either.
    for (const qint64 pid : serverProcesses())
        ProcessPause::pause(pid);
}

void PostgresServer::resume()
{
    for (const qint64 pid : serverProcesses())
        ProcessPause::resume(pid);
}

void PostgresServer::createDatabase(const QString& name)
{
    const QString connection = QStringLiteral("pg_admin_%1").arg(port_);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        db.setHostName(QStringLiteral("127.0.0.1"));
        db.setPort(port_);
        db.setUserName(QStringLiteral("postgres"));
        db.setDatabaseName(QStringLiteral("postgres"));
        if (!db.open())
            fail(QStringLiteral("cannot connect to PostgreSQL"), db.lastError().text().toUtf8());
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("CREATE DATABASE \"%1\"").arg(name)))
            fail(QStringLiteral("CREATE DATABASE failed"), query.lastError().text().toUtf8());
    }
    QSqlDatabase::removeDatabase(connection);
}

QString PostgresServer::connectionString(const QString& databaseName) const
{
    return QStringLiteral("postgresql://postgres@127.0.0.1:%1/%2").arg(port_).arg(databaseName);
}
