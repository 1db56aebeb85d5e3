#include "HostLog.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <atomic>

namespace {

constexpr qint64 MaxFileBytes = 4 * 1024 * 1024;

std::atomic<HostLog*> current{nullptr};

const char* levelOf(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return "debug";
    case QtInfoMsg:
        return "info";
    case QtWarningMsg:
        return "warning";
    case QtCriticalMsg:
        return "critical";
    case QtFatalMsg:
        return "fatal";
    }
    return "?";
}

} // namespace

HostLog::HostLog(const QString& path) : path_(path), file_(path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    open();
    current = this;
    previous_ = qInstallMessageHandler(&HostLog::handle);
}

HostLog::~HostLog()
{
    qInstallMessageHandler(previous_);
    current = nullptr;
}

QString HostLog::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/host.log");
}

void HostLog::open()
{
    if (file_.size() > MaxFileBytes) {
        const QString older = path_ + QStringLiteral(".1");
        QFile::remove(older);
        file_.rename(older);
        file_.setFileName(path_);
    }
    (void)file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
}

void HostLog::handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    HostLog* log = current;
    if (log && context.category && qstrncmp(context.category, "med.", 4) == 0)
        log->write(type, context.category, message);
    const QtMessageHandler next = log ? log->previous_ : nullptr;
    if (next)
        next(type, context, message);
}

void HostLog::write(QtMsgType type, const char* category, const QString& message)
{
    const QMutexLocker lock(&mutex_);
    if (!file_.isOpen())
        return;
    if (file_.size() > MaxFileBytes) {
        file_.close();
        open();
    }
    const QDateTime now = QDateTime::currentDateTime();
    const QString line = QStringLiteral("%1 %2 %3: %4\n")
                             .arg(now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODateWithMs),
                                  QLatin1String(category), QLatin1String(levelOf(type)), message);
    file_.write(line.toUtf8());
    file_.flush();
}
