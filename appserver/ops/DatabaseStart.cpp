#include "DatabaseStart.h"

#include "Database.h"
#include "DatabaseSpec.h"
#include "ServerLog.h"
#include "ServiceNotifier.h"
#include "ShutdownSignal.h"
#include "SqlFailure.h"

#include <QEventLoop>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <chrono>

namespace {

constexpr std::chrono::seconds FirstWait{1};
constexpr std::chrono::seconds LongestWait{30};

// False when a stop was asked for during the wait.
bool waitOrStop(std::chrono::seconds wait, ShutdownSignal& shutdown)
{
    QEventLoop loop;
    bool stopped = false;
    QTimer::singleShot(wait, &loop, &QEventLoop::quit);
    QObject::connect(&shutdown, &ShutdownSignal::requested, &loop, [&] {
        stopped = true;
        loop.quit();
    });
    loop.exec();
    return !stopped;
}

// A refused login or a missing database stays so until an administrator acts; a server that is down,
// starting or out of reach may answer soon.
bool passesByItself(const SqlFailure& failure)
{
    static const QStringList lasting{QStringLiteral("password"), QStringLiteral("authentication"),
                                     QStringLiteral("does not exist"), QStringLiteral("permission denied"),
                                     QStringLiteral("pg_hba.conf")};
    const QString text = failure.Message() + QLatin1Char(' ') + failure.detail();
    return std::none_of(lasting.cbegin(), lasting.cend(),
                        [&](const QString& word) { return text.contains(word, Qt::CaseInsensitive); });
}

} // namespace

namespace DatabaseStart {

std::unique_ptr<Database> open(const AppServerOptions& options, ShutdownSignal& shutdown)
{
    const DatabaseSpec spec = options.databaseSpec();
    for (std::chrono::seconds wait = FirstWait;; wait = std::min(wait * 2, LongestWait)) {
        try {
            return std::make_unique<Database>(spec);
        } catch (const SqlFailure& failure) {
            if (spec.kind != DatabaseSpec::Kind::Postgres || !passesByItself(failure))
                throw;
            qCWarning(lcServer).noquote().nospace()
                << "database unreachable: " << failure.Message() << ' ' << failure.detail()
                << "; trying again in " << wait.count() << " s";
            ServiceNotifier::status(QStringLiteral("waiting for the database"));
        }
        if (!waitOrStop(wait, shutdown))
            return nullptr;
    }
}

} // namespace DatabaseStart
