#include "RdmMediEfeti.h"

#include "BillingImport.h"
#include "ChangeSetWriter.h"
#include "Database.h"
#include "EfetGestLayout.h"
#include "EfetGestStore.h"
#include "HistEfetGestRecordSet.h"
#include "HistoryStore.h"
#include "JsonString.h"
#include "PacketCodec.h"
#include "ReservationStore.h"
#include "RpcArguments.h"
#include "RpcError.h"
#include "Transaction.h"
#include "VerifServRecordSet.h"

namespace {

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
        {QStringLiteral("GetVerifServs"), &RdmMediEfeti::getVerifServs},
        {QStringLiteral("setEfetGest"), &RdmMediEfeti::setEfetGest},
        {QStringLiteral("Importa"), &RdmMediEfeti::importa},
        {QStringLiteral("SetDelTableApur"), &RdmMediEfeti::setDelTableApur},
        {QStringLiteral("GetHistEfetGest"), &RdmMediEfeti::getHistEfetGest},
    };
    return table;
}

bool RdmMediEfeti::writes(const QString& method)
{
    return method == QLatin1String("setEfetGest") || method == QLatin1String("Importa") ||
           method == QLatin1String("SetDelTableApur") || method == QLatin1String("GetPrxRelApurFat");
}

QByteArray RdmMediEfeti::call(const QString& method, const QList<RpcParam>& params, const CallerInfo& caller)
{
    caller_ = caller;
    const Method target = methods().value(method);
    if (!target)
        throw RpcError(RpcError::MethodNotFound, QStringLiteral("Método desconhecido: %1.").arg(method));
    return (this->*target)(params);
}

QByteArray RdmMediEfeti::getPrxRelApurFat(const QList<RpcParam>& params)
{
    // The screen asks before a branch is chosen: an empty branch is expected here.
    const QString branch = RpcArguments(params, 1).code(0, "filial", 0, 4);
    allow({{branch}});
    ReservationStore reservations(database_, reservationTtl_);
    Transaction transaction(database_);
    reservations.purgeExpired();
    const ReservationTicket ticket = reservations.create(branch, caller_.address);
    transaction.commit();
    return JsonString::quoted(ticket.text());
}

QByteArray RdmMediEfeti::getEfetGest(const QList<RpcParam>& params)
{
    const RpcArguments args(params, 2);
    const QString branch = args.code(0, "filial", 1, 4);
    const QDate date = args.date(1, "data");
    allow({{branch}});
    return EfetGestStore(database_).linesPacket(branch, date);
}

QByteArray RdmMediEfeti::getVerifServ(const QList<RpcParam>& params)
{
    static const FieldDefs fields = VerifServRecordSet::fieldDefs();
    const RpcArguments args(params, 3);
    const QString branch = args.code(0, "filial", 1, 4);
    const QDate date = args.date(1, "data");
    const QString service = args.code(2, "serviço", 1, 5);
    allow({{branch}});
    return PacketCodec::encodePacket(fields, EfetGestStore(database_).servicesWithKey(branch, date, service))
        .json();
}

QByteArray RdmMediEfeti::getVerifServs(const QList<RpcParam>& params)
{
    static const FieldDefs fields = VerifServRecordSet::fieldDefs();
    const RpcArguments args(params, 3);
    const QString branch = args.code(0, "filial", 1, 4);
    const QDate date = args.date(1, "data");
    const QStringList services = args.codes(2, "serviços", MaxServicesPerCheck, 5);
    allow({{branch}});
    return PacketCodec::encodePacket(fields,
                                     EfetGestStore(database_).servicesWithKeys(branch, date, services))
        .json();
}

QByteArray RdmMediEfeti::setEfetGest(const QList<RpcParam>& params)
{
    const QList<Change> changes = RpcArguments(params, 1).efetGestChangeSet(0, "alterações");
    const int column = EfetGestLayout::instance().branch;
    Rights::Reach reach{{}, true};
    for (const Change& change : changes) {
        for (const Record* line : {&change.values, &change.original}) {
            if (column < line->size() && !reach.branches.contains(line->at(column).toString()))
                reach.branches.append(line->at(column).toString());
        }
    }
    allow(reach);
    const int applied = ChangeSetWriter(database_, caller_).apply(changes);
    return "{\"applied\":" + QByteArray::number(applied) + '}';
}

QByteArray RdmMediEfeti::importa(const QList<RpcParam>& params)
{
    const RpcArguments args(params, 3);
    const QString branch = args.code(0, "filial", 1, 4);
    const QDate date = args.date(1, "data");
    const std::optional<ReservationTicket> held = args.reservation(2, "reserva");
    allow({{branch, branchOf(held)}, true});
    const ReservationTicket ticket =
        BillingImport(database_, reservationTtl_, caller_).run(branch, date, held);
    const QByteArray packet = PacketCodec::encodePacket(EfetGestLayout::instance().fields,
                                                        EfetGestStore(database_).lines(branch, date))
                                  .json();
    return byReference(serverResult(packet), ticket.text());
}

QByteArray RdmMediEfeti::setDelTableApur(const QList<RpcParam>& params)
{
    const std::optional<ReservationTicket> held = RpcArguments(params, 1).reservation(0, "reserva");
    allow({{branchOf(held)}});
    if (held) {
        Transaction transaction(database_);
        ReservationStore(database_, reservationTtl_).release(*held);
        transaction.commit();
    }
    return byReference(serverResult("null"), held ? held->text() : QString());
}

QByteArray RdmMediEfeti::getHistEfetGest(const QList<RpcParam>& params)
{
    static const FieldDefs fields = HistEfetGestRecordSet::fieldDefs();
    // Without the fourth argument (older hosts) the newest page alone, as a bare packet.
    const RpcArguments args(params, 3, 4);
    const QString branch = args.code(0, "filial", 1, 4);
    const QDate date = args.date(1, "data");
    const QString service = args.code(2, "serviço", 1, 5);
    allow({{branch}});
    const bool paged = args.size() == 4;
    const HistoryStore::Page page =
        HistoryStore(database_, caller_)
            .linePage(branch, date, service, paged ? args.historyCursor(3, "continuação") : std::nullopt);
    const QByteArray packet = PacketCodec::encodePacket(fields, page.rows).json();
    return paged ? byReference(packet, page.next) : packet;
}

QString RdmMediEfeti::branchOf(const std::optional<ReservationTicket>& ticket)
{
    if (!ticket || !caller_.account)
        return {};
    return ReservationStore(database_, reservationTtl_).branchOf(*ticket);
}
