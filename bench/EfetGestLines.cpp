#include "EfetGestLines.h"

#include "Currency.h"
#include "EfetGestRecordSet.h"
#include "PacketCodec.h"
#include "TDateTime.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <map>

namespace EfetGestLines {

const QStringList& serviceNames()
{
    static const QStringList names{
        QStringLiteral("Vigilância patrimonial noturna armada"),
        QStringLiteral("Limpeza e conservação predial"),
        QStringLiteral("Portaria e recepção 24 horas"),
        QStringLiteral("Jardinagem e paisagismo externo"),
        QStringLiteral("Manutenção elétrica preventiva"),
        QStringLiteral("Copa e serviços de apoio"),
    };
    return names;
}

QList<Record> lines(int count)
{
    const QVariant branch = QStringLiteral("0001");
    const QVariant date = QVariant::fromValue(TDateTime::fromIsoString(u"2026-12-07"));
    QList<Record> lines;
    lines.reserve(count);
    for (int i = 0; i < count; ++i) {
        const Currency quantity = Currency::fromRaw(1000 + (i % 997) * 125);
        const Currency price = Currency::fromRaw(1'000'000 + (i % 89) * 12'300);
        lines.append({branch, date, QString::number(i % 100'000).rightJustified(5, u'0'),
                      QVariant::fromValue(quantity), QVariant::fromValue(price),
                      QVariant::fromValue((quantity * price).roundedTo(2)),
                      serviceNames().at(i % serviceNames().size())});
    }
    return lines;
}

const DataPacket& packet(int count)
{
    static std::map<int, DataPacket> packets;
    auto found = packets.find(count);
    if (found == packets.end())
        found =
            packets.emplace(count, PacketCodec::encodePacket(EfetGestRecordSet::fieldDefs(), lines(count)))
                .first;
    return found->second;
}

double valueBytesPerLine(int count)
{
    double bytes = 0;
    for (const Record& line : lines(count)) {
        for (const QVariant& value : line)
            bytes += value.metaType() == QMetaType::fromType<QString>() ? 2.0 * value.toString().size() : 8.0;
    }
    return bytes / count;
}

void fillTable(QSqlDatabase& db, int count)
{
    QSqlQuery query(db);
    query.exec(QStringLiteral("CREATE TABLE USR_EFETGEST (USR_CDFILIAL TEXT, USR_DTEFETGEST TEXT, "
                              "USR_CDSERVFILI TEXT, USR_QTEFETGEST NUMERIC, USR_VREFETGEST NUMERIC, "
                              "USR_VRTTSERVGEST NUMERIC, NMSERVICO TEXT)"));
    QVariantList columns[7];
    for (const Record& line : lines(count)) {
        columns[0] << line[0];
        columns[1] << line[1].value<TDateTime>().toIsoString();
        columns[2] << line[2];
        for (int c = 3; c < 6; ++c)
            columns[c] << line[c].value<Currency>().toDouble();
        columns[6] << line[6];
    }
    db.transaction();
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT INTO USR_EFETGEST VALUES (?, ?, ?, ?, ?, ?, ?)"));
    for (const QVariantList& column : columns)
        insert.addBindValue(column);
    insert.execBatch();
    db.commit();
}

} // namespace EfetGestLines
