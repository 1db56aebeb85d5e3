#include "ReadinessProbe.h"

#include "Database.h"
#include "Metrics.h"
#include "ServerLog.h"
#include "SqlFailure.h"

#include <memory>

ReadinessProbe::ReadinessProbe(DatabaseSpec spec, std::chrono::milliseconds deadline)
    : spec_(std::move(spec)), deadline_(deadline), thread_([this] { run(); })
{}

ReadinessProbe::~ReadinessProbe()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    asked_.notify_all();
    thread_.join();
}

bool ReadinessProbe::databaseAnswers()
{
    std::unique_lock lock(mutex_);
    // A query hanging since an earlier check's deadline: no need to wait for it again.
    if (busy_ && std::chrono::steady_clock::now() - busySince_ >= deadline_)
        return false;
    const std::uint64_t mine = ++questions_;
    asked_.notify_one();
    if (!answered_.wait_for(lock, deadline_, [&] { return answers_ >= mine; }))
        return false;
    return lastAnswer_;
}

void ReadinessProbe::run()
{
    std::unique_ptr<Database> database; // opened, and used, only in this thread
    std::unique_lock lock(mutex_);
    for (;;) {
        asked_.wait(lock, [&] { return stopping_ || answers_ < questions_; });
        if (stopping_)
            return;
        const std::uint64_t covered = questions_;
        busy_ = true;
        busySince_ = std::chrono::steady_clock::now();
        lock.unlock();
        const bool answer = probe(spec_, database);
        lock.lock();
        busy_ = false;
        answers_ = covered;
        lastAnswer_ = answer;
        answered_.notify_all();
    }
}

bool ReadinessProbe::probe(const DatabaseSpec& spec, std::unique_ptr<Database>& database)
{
    try {
        if (!database)
            database = std::make_unique<Database>(spec);
        database->select(QStringLiteral("SELECT 1"), {}, [](const QSqlQuery&) {});
        return true;
    } catch (const SqlFailure& failure) {
        qCWarning(lcServer).noquote() << "readiness check failed:" << failure.detail();
        Metrics::process().recordDatabaseError();
        // Opened again at the next check, so readiness comes back with the database.
        database.reset();
        return false;
    } catch (const Exception& error) {
        qCWarning(lcServer).noquote() << "readiness check failed:" << error.Message();
        database.reset();
        return false;
    }
}
