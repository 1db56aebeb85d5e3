#include "DirectLoad.h"

#include "ChangeSetWriter.h"
#include "Currency.h"
#include "Database.h"
#include "DatabaseSpec.h"
#include "EfetGestStore.h"
#include "TDateTime.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>

namespace DirectLoad {

namespace {

template <typename Step> void timed(LatencyStats& stats, Step step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    stats.add(timer.nsecsElapsed());
}

} // namespace

LatencyStats run(const QString& database, const CallMix& mix, std::chrono::milliseconds duration)
{
    Database db(DatabaseSpec::parse(database));
    EfetGestStore store(db);
    ChangeSetWriter writer(db);
    const Record line{mix.branch,
                      QVariant::fromValue(TDateTime::fromDate(mix.date)),
                      mix.scratchService(CallMix::DirectClient),
                      QVariant::fromValue(Currency::parse(u"3")),
                      QVariant::fromValue(Currency::parse(u"1500.25")),
                      QVariant::fromValue(Currency::parse(u"4500.75")),
                      QVariant()};
    LatencyStats stats;
    QElapsedTimer wall;
    wall.start();
    const QDeadlineTimer deadline(duration);
    while (!deadline.hasExpired()) {
        timed(stats, [&] { store.lines(mix.branch, mix.date); });
        timed(stats, [&] { store.servicesWithKey(mix.branch, mix.date, QStringLiteral("00001")); });
        timed(stats, [&] { writer.apply({Change{ChangeKind::Inserted, line, {}}}); });
        timed(stats, [&] { writer.apply({Change{ChangeKind::Deleted, {}, line}}); });
    }
    stats.setElapsed(wall.nsecsElapsed());
    return stats;
}

} // namespace DirectLoad
