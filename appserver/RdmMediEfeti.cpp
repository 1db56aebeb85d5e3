#include "RdmMediEfeti.h"

#include "BillingImport.h"
#include "ChangeSetWriter.h"
#include "Database.h"
#include "EfetGestLayout.h"
#include "EfetGestStore.h"
#include "JsonString.h"
#include "PacketCodec.h"
#include "ReservationStore.h"
#include "RpcArguments.h"
#include "RpcError.h"
#include "Transaction.h"
#include "VerifServRecordSet.h"

namespace {

// The longest reservation text taken: more digits than any sequence number has.
constexpr int MaxReservationLength = 20;

QByteArray byReference(const QByteArray& value, const QString& reference)
{
    return "{\"value\":" + value + ",\"refs\":[" + JsonString::quoted(reference) + "]}";
}

QByteArray serverResult(const QByteArray& payload)
{
    return "{\"ok\":true,\"payload\":" + payload + '}';
}

} // namespace

RdmMediEfeti::RdmMediEfeti(Database& database, std::chrono::seconds reservationTtl)
    : database_(database), reservationTtl_(reservationTtl)
{}

const QHash<QString, RdmMediEfeti::Method>& RdmMediEfeti::methods()
{
    static const QHash<QString, Method> table{
        {QStringLiteral("GetPrxRelApurFat"), &RdmMediEfeti::getPrxRelApurFat},
        {QStringLiteral("getEfetGest"), &RdmMediEfeti::getEfetGest},
        {QStringLiteral("GetVerifServ"), &RdmMediEfeti::getVerifServ},
        {QStringLiteral("setEfetGest"), &RdmMediEfeti::setEfetGest},
        {QStringLiteral("Importa"), &RdmMediEfeti::importa},
        {QStringLiteral("SetDelTableApur"), &RdmMediEfeti::setDelTableApur},
    };
    return table;
}

QByteArray RdmMediEfeti::call(const QString& method, const QList<RpcParam>& params)
{
    const Method target = methods().value(method);
    if (!target)
        throw RpcError(RpcError::MethodNotFound, QStringLiteral("Método desconhecido: %1.").arg(method));
    return (this->*target)(params);
}

QByteArray RdmMediEfeti::getPrxRelApurFat(const QList<RpcParam>& params)
{
    // The screen asks before a branch is chosen: an empty branch is expected here.
    const QString branch = RpcArguments(params, 1).code(0, "filial", 0, 4);
    ReservationStore reservations(database_, reservationTtl_);
    Transaction transaction(database_);
    reservations.purgeExpired();
    const qint64 number = reservations.create(branch);
    transaction.commit();
    return JsonString::quoted(QString::number(number));
}

QByteArray RdmMediEfeti::getEfetGest(const QList<RpcParam>& params)
{
    const RpcArguments args(params, 2);
    const QString branch = args.code(0, "filial", 1, 4);
    const QDate date = args.date(1, "data");
    return PacketCodec::encodePacket(EfetGestLayout::instance().fields,
                                     EfetGestStore(database_).lines(branch, date))
        .json();
}

QByteArray RdmMediEfeti::getVerifServ(const QList<RpcParam>& params)
{
    static const FieldDefs fields = VerifServRecordSet::fieldDefs();
    const RpcArguments args(params, 3);
    const QString branch = args.code(0, "filial", 1, 4);
    const QDate date = args.date(1, "data");
    const QString service = args.code(2, "serviço", 1, 5);
    return PacketCodec::encodePacket(fields, EfetGestStore(database_).servicesWithKey(branch, date, service))
        .json();
}

QByteArray RdmMediEfeti::setEfetGest(const QList<RpcParam>& params)
{
    const QList<Change> changes = RpcArguments(params, 1).efetGestChangeSet(0, "alterações");
    const int applied = ChangeSetWriter(database_).apply(changes);
    return "{\"applied\":" + QByteArray::number(applied) + '}';
}

QByteArray RdmMediEfeti::importa(const QList<RpcParam>& params)
{
    const RpcArguments args(params, 3);
    const QString branch = args.code(0, "filial", 1, 4);
    const QDate date = args.date(1, "data");
    const QString reservation = args.code(2, "reserva", 0, MaxReservationLength);
    const qint64 number = BillingImport(database_, reservationTtl_).run(branch, date, reservation);
    const QByteArray packet = PacketCodec::encodePacket(EfetGestLayout::instance().fields,
                                                        EfetGestStore(database_).lines(branch, date))
                                  .json();
    return byReference(serverResult(packet), QString::number(number));
}

QByteArray RdmMediEfeti::setDelTableApur(const QList<RpcParam>& params)
{
    const QString reservation = RpcArguments(params, 1).code(0, "reserva", 0, MaxReservationLength);
    Transaction transaction(database_);
    ReservationStore(database_, reservationTtl_).release(reservation);
    transaction.commit();
    return byReference(serverResult("null"), reservation);
}
