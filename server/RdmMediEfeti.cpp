#include "RdmMediEfeti.h"

#include "ECallOutcomeUnknown.h"
#include "EfetGestRecordSet.h"
#include "PacketCodec.h"
#include "TNetConnection.h"

#include <QJsonObject>

namespace {

// {"applied": N} with N the changes sent; anything else (null, another count, another shape) does not
// say the changes are stored, nor that they are not.
void checkApplied(const RemoteValue& answer, qsizetype sent)
{
    const QJsonValue applied = answer.toJson().toObject().value(QLatin1String("applied"));
    if (!applied.isDouble() || applied.toDouble() != double(sent))
        throw ECallOutcomeUnknown(QStringLiteral("O servidor de aplicação não confirmou a gravação das %1 "
                                                 "alterações enviadas (respondeu %2).")
                                      .arg(sent)
                                      .arg(QString::fromUtf8(answer.raw().left(200))));
}

} // namespace

QString RdmMediEfeti::GetPrxRelApurFat(const QString& branchText) const
{
    return connection_.AppServer()
        .call(QStringLiteral("GetPrxRelApurFat"), {RemoteArg::string(branchText)})
        .toString();
}

RemoteValue RdmMediEfeti::getEfetGest(const QString& branchText, TDateTime date) const
{
    return connection_.AppServer().call(QStringLiteral("getEfetGest"),
                                        {RemoteArg::string(branchText), RemoteArg::date(date)});
}

RemoteValue RdmMediEfeti::GetVerifServ(const QString& branchText, TDateTime date,
                                       const QString& service) const
{
    return connection_.AppServer().call(
        QStringLiteral("GetVerifServ"),
        {RemoteArg::string(branchText), RemoteArg::date(date), RemoteArg::string(service)});
}

RemoteValue RdmMediEfeti::GetVerifServs(const QString& branchText, TDateTime date,
                                        const QStringList& services) const
{
    return connection_.AppServer().call(QStringLiteral("GetVerifServs"),
                                        {RemoteArg::string(branchText), RemoteArg::date(date),
                                         RemoteArg::string(services.join(QLatin1Char(',')))});
}

void RdmMediEfeti::setEfetGest(const DataPacket& delta) const
{
    const qsizetype sent = PacketCodec::decodeChangeSet(delta, EfetGestRecordSet::fieldDefs()).size();
    checkApplied(connection_.AppServer().call(QStringLiteral("setEfetGest"), {RemoteArg::variant(delta)}),
                 sent);
}

RemoteValue RdmMediEfeti::Importa(const QString& branch, TDateTime date, QString& reservation) const
{
    return connection_.AppServer().call(
        QStringLiteral("Importa"),
        {RemoteArg::string(branch), RemoteArg::date(date), RemoteArg::stringRef(&reservation)});
}

RemoteValue RdmMediEfeti::SetDelTableApur(QString& reservation) const
{
    return connection_.AppServer().call(QStringLiteral("SetDelTableApur"),
                                        {RemoteArg::stringRef(&reservation)});
}

RemoteValue RdmMediEfeti::GetHistEfetGest(const QString& branchText, TDateTime date, const QString& service,
                                          QString& cursor) const
{
    return connection_.AppServer().call(QStringLiteral("GetHistEfetGest"),
                                        {RemoteArg::string(branchText), RemoteArg::date(date),
                                         RemoteArg::string(service), RemoteArg::stringRef(&cursor)});
}
