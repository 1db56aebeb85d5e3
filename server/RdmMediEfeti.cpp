#include "RdmMediEfeti.h"

#include "TNetConnection.h"

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

void RdmMediEfeti::setEfetGest(const DataPacket& delta) const
{
    connection_.AppServer().call(QStringLiteral("setEfetGest"), {RemoteArg::variant(delta)});
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
