#pragma once

#include "DataPacket.h"
#include "RemoteValue.h"
#include "TDateTime.h"

#include <QString>
#include <QStringList>

class TNetConnection;

// The methods of the rdmMediEfeti server object, with their argument kinds, over a connection.
class RdmMediEfeti {
public:
    explicit RdmMediEfeti(TNetConnection& connection) : connection_(connection) {}

    // The most services the server checks in one GetVerifServs call.
    static constexpr int MaxServicesPerCheck = 1000;

    // The next reservation number of the branch.
    QString GetPrxRelApurFat(const QString& branchText) const;
    // Data packet of cdsEfetGest for the branch and date.
    RemoteValue getEfetGest(const QString& branchText, TDateTime date) const;
    // Data packet of cdsVerifServ: lines already registered with the service.
    RemoteValue GetVerifServ(const QString& branchText, TDateTime date, const QString& service) const;
    // Data packet of cdsVerifServ: which of the services (at most MaxServicesPerCheck) already have a line.
    RemoteValue GetVerifServs(const QString& branchText, TDateTime date, const QStringList& services) const;
    // Applies a change set of cdsEfetGest. Raises ECallOutcomeUnknown when the server answers without
    // confirming that it applied every change sent, as when its answer is lost.
    void setEfetGest(const DataPacket& delta) const;
    // Server result whose payload is a data packet of cdsEfetGest; `reservation` gets the server's value.
    RemoteValue Importa(const QString& branch, TDateTime date, QString& reservation) const;
    // Server result; `reservation` gets the server's value.
    RemoteValue SetDelTableApur(QString& reservation) const;
    // Data packet of cdsHistEfetGest: one page of the changes of one line, newest first. `cursor` empty
    // asks for the newest page; it gets where the next page starts, or empty after the oldest.
    RemoteValue GetHistEfetGest(const QString& branchText, TDateTime date, const QString& service,
                                QString& cursor) const;

private:
    TNetConnection& connection_;
};
