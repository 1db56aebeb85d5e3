#include "SaveDurability.h"

#include "ChangeSetWriter.h"
#include "Currency.h"
#include "Database.h"
#include "DatabaseSpec.h"
#include "Schema.h"
#include "TDateTime.h"

#include <QDate>
#include <QElapsedTimer>
#include <algorithm>
#include <limits>

namespace SaveDurability {

namespace {

Record lineWithStaff(int staff)
{
    const Currency price = Currency::parse(u"10");
    const Currency count = Currency::fromRaw(qint64(staff) * 10000);
    return {QStringLiteral("0001"),
            QVariant::fromValue(TDateTime::fromDate(QDate(2030, 6, 1))),
            QStringLiteral("00001"),
            QVariant::fromValue(count),
            QVariant::fromValue(price),
            QVariant::fromValue(count * price),
            QVariant()};
}

// Microseconds per save: the line's staff goes back and forth between 1 and 2.
double timeSaves(Database& database, const QString& mode, int saves)
{
    database.execDirect(QStringLiteral("PRAGMA synchronous=") + mode);
    ChangeSetWriter writer(database);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < saves; ++i)
        writer.apply({Change{ChangeKind::Modified, lineWithStaff(2 - i % 2), lineWithStaff(1 + i % 2)}});
    return double(timer.nsecsElapsed()) / 1000.0 / saves;
}

} // namespace

Result run(const QString& path, int saves, int rounds)
{
    Database database(DatabaseSpec::parse(path));
    Schema::migrate(database);
    database.exec(QStringLiteral("INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES ('0001', 'Filial')"));
    database.exec(QStringLiteral(
        "INSERT INTO SERVICO (CDFILIAL, CDSERVFILI, NMSERVICO) VALUES ('0001', '00001', 'Serviço')"));
    ChangeSetWriter(database).apply({Change{ChangeKind::Inserted, lineWithStaff(1), {}}});
    Result best{std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
    // Even saves count: the line ends each run as it began.
    saves += saves % 2;
    for (int round = 0; round < rounds; ++round) {
        best.normalMicros = std::min(best.normalMicros, timeSaves(database, QStringLiteral("NORMAL"), saves));
        best.fullMicros = std::min(best.fullMicros, timeSaves(database, QStringLiteral("FULL"), saves));
    }
    return best;
}

} // namespace SaveDurability
