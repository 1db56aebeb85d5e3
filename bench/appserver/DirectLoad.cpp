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
        stats.time([&] { store.lines(mix.branch, mix.date); });
        stats.time([&] { store.servicesWithKey(mix.branch, mix.date, QStringLiteral("00001")); });
        stats.time([&] { writer.apply({Change{ChangeKind::Inserted, line, {}}}); });
        stats.time([&] { writer.apply({Change{ChangeKind::Deleted, {}, line}}); });
    }
    stats.setElapsed(wall.nsecsElapsed());
    return stats;
}

} // namespace DirectLoad
