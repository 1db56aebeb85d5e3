#include "EfetGestLines.h"

#include "DataPacket.h"
#include "EfetGestRecordSet.h"
#include "PacketCodec.h"
#include "TDateTime.h"

#include <stdexcept>

namespace EfetGestLines {

namespace {

const FieldDefs& fields()
{
    static const FieldDefs defs = EfetGestRecordSet::fieldDefs();
    return defs;
}

int at(const char* name)
{
    for (qsizetype i = 0; i < fields().size(); ++i) {
        if (fields()[i].name == QLatin1String(name))
            return int(i);
    }
    throw std::logic_error(name);
}

QVariant decimal(const QString& text)
{
    return text.isEmpty() ? QVariant() : QVariant::fromValue(Currency::parse(text));
}

} // namespace

Record line(const QString& branch, QDate date, const QString& service, const QString& staff,
            const QString& unitPrice, const QString& total)
{
    Record r(fields().size());
    r[at("USR_CDFILIAL")] = branch;
    r[at("USR_DTEFETGEST")] = QVariant::fromValue(TDateTime::fromDate(date));
    r[at("USR_CDSERVFILI")] = service;
    r[at("USR_QTEFETGEST")] = decimal(staff);
    r[at("USR_VREFETGEST")] = decimal(unitPrice);
    r[at("USR_VRTTSERVGEST")] = decimal(total);
    return r;
}

Change inserted(const Record& line)
{
    return Change{ChangeKind::Inserted, line, {}};
}

Change modified(const Record& original, const Record& now)
{
    return Change{ChangeKind::Modified, now, original};
}

Change deleted(const Record& original)
{
    return Change{ChangeKind::Deleted, {}, original};
}

QByteArray changeSet(const QList<Change>& changes)
{
    return PacketCodec::encodeChangeSet(fields(), changes).json();
}

RpcClient::Reply save(RpcClient& client, const QList<Change>& changes)
{
    return client.call(QStringLiteral("setEfetGest"), {changeSet(changes)});
}

QList<Record> decode(const QByteArray& packetJson)
{
    return PacketCodec::decodePacket(DataPacket(packetJson), fields());
}

QList<Record> read(RpcClient& client, const QString& branch, QDate date)
{
    const RpcClient::Reply reply = client.call(
        QStringLiteral("getEfetGest"), {RpcClient::str(branch), RpcClient::str(date.toString(Qt::ISODate))});
    if (!reply.ok())
        throw std::runtime_error(
            ("getEfetGest failed: " + reply.body + reply.errorMessage.toUtf8()).toStdString());
    return decode(reply.resultJson);
}

QString service(const Record& line)
{
    return line[at("USR_CDSERVFILI")].toString();
}

Currency staff(const Record& line)
{
    return line[at("USR_QTEFETGEST")].value<Currency>();
}

Currency unitPrice(const Record& line)
{
    return line[at("USR_VREFETGEST")].value<Currency>();
}

Currency total(const Record& line)
{
    return line[at("USR_VRTTSERVGEST")].value<Currency>();
}

QString serviceName(const Record& line)
{
    return line[at("NMSERVICO")].toString();
}

QDate freshDate()
{
    static QDate next(2031, 1, 1);
    next = next.addDays(1);
    return next;
}

} // namespace EfetGestLines
