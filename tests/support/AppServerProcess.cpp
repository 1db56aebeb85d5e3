#include "AppServerProcess.h"

#include "ProcessPause.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace {

// Generous: under the sanitizers the server starts several times slower.
constexpr int StartTimeoutMs = 60000;
constexpr int StopTimeoutMs = 15000;

} // namespace

AppServerProcess::AppServerProcess(QString database, QStringList extraArguments)
    : database_(database.isEmpty() ? dir_.filePath(QStringLiteral("appserver.db")) : std::move(database)),
      extraArguments_(std::move(extraArguments))
{}

AppServerProcess::~AppServerProcess()
{
    stop();
}

QString AppServerProcess::executable()
{
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/med_appserver");
    if (QFileInfo::exists(beside))
        return beside;
    return qEnvironmentVariable("MED_BINARY_DIR") + QStringLiteral("/bin/med_appserver");
}

void AppServerProcess::start()
{
    stop();
    process_ = std::make_unique<QProcess>();
    process_->setStandardErrorFile(dir_.filePath(QStringLiteral("appserver.log")), QIODevice::Append);
    const QStringList arguments = QStringList{QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                                              QStringLiteral("--database"), database_} +
                                  extraArguments_;
    process_->start(executable(), arguments);
    QDeadlineTimer deadline(StartTimeoutMs);
    while (!process_->canReadLine() && process_->state() != QProcess::NotRunning && !deadline.hasExpired())
        process_->waitForReadyRead(int(qMin<qint64>(deadline.remainingTime(), 200)));
    bool ok = false;
    port_ = quint16(process_->readLine().trimmed().toUInt(&ok));
    if (!ok || port_ == 0) {
        process_->kill();
        process_->waitForFinished(StopTimeoutMs);
        throw std::runtime_error(("med_appserver did not start: " + log()).toStdString());
    }
}

int AppServerProcess::stop()
{
    if (!running()) {
        process_.reset();
        return 0;
    }
    process_->terminate();
    const bool ended = process_->waitForFinished(StopTimeoutMs);
    if (!ended) {
        process_->kill();
        process_->waitForFinished(StopTimeoutMs);
    }
    const int code = ended && process_->exitStatus() == QProcess::NormalExit ? process_->exitCode() : -1;
    process_.reset();
    return code;
}

int AppServerProcess::waitForExit(int ms)
{
    if (!process_ || (running() && !process_->waitForFinished(ms)))
        return -1;
    const int code = process_->exitStatus() == QProcess::NormalExit ? process_->exitCode() : -1;
    process_.reset();
    return code;
}

void AppServerProcess::kill()
{
    if (!running())
        return;
    process_->kill();
    process_->waitForFinished(StopTimeoutMs);
    process_.reset();
}

bool AppServerProcess::running() const
{
    return process_ && process_->state() != QProcess::NotRunning;
}

bool AppServerProcess::pause()
{
    return running() && ProcessPause::pause(pid());
}

void AppServerProcess::resume()
{
    if (running())
        ProcessPause::resume(pid());
}

qint64 AppServerProcess::pid() const
{
    return process_ ? process_->processId() : 0;
}

QByteArray AppServerProcess::log() const
{
    QFile file(dir_.filePath(QStringLiteral("appserver.log")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

AppServerProcess::CommandResult AppServerProcess::userCommand(const QStringList& arguments,
                                                              const QByteArray& input) const
{
    QProcess command;
    command.start(executable(), QStringList{QStringLiteral("user")} + arguments +
                                    QStringList{QStringLiteral("--database"), database_});
    CommandResult result;
    if (!command.waitForStarted(30000))
        return result;
    command.write(input);
    command.closeWriteChannel();
    // Hashing a password takes a fraction of a second; sanitizers and a busy machine make it longer.
    command.waitForFinished(120000);
    result.exitCode = command.exitStatus() == QProcess::NormalExit ? command.exitCode() : -1;
    result.output = command.readAllStandardOutput();
    result.errors = command.readAllStandardError();
    return result;
}

void AppServerProcess::addUser(const QString& login, const QString& role, const QString& branches,
                               const QString& password) const
{
    QStringList arguments{QStringLiteral("add"),    login, QStringLiteral("--name"), login,
                          QStringLiteral("--role"), role};
    if (!branches.isEmpty())
        arguments << QStringLiteral("--branches") << branches;
    const CommandResult result = userCommand(arguments, password.toUtf8() + '\n');
    if (result.exitCode != 0)
        throw std::runtime_error("user add " + login.toStdString() +
                                 " failed: " + result.errors.toStdString());
}
