#pragma once

#include "CallerInfo.h"
#include "ReservationTicket.h"
#include "Rights.h"
#include "RpcRequest.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <chrono>
#include <optional>

class Database;

// The remote object "Med00418.rdmMediEfeti": its eight methods, each taking positional arguments and
// answering JSON text. Nothing is kept between calls; every call stands on the database alone.
class RdmMediEfeti {
public:
    RdmMediEfeti(Database& database, std::chrono::seconds reservationTtl);

    // The result's JSON text. Throws RpcError for an unknown method or bad arguments, Exception (with a
    // message for the user) when the method could not do its work. Changes made are recorded in the
    // lines' history as the caller's.
    QByteArray call(const QString& method, const QList<RpcParam>& params, const CallerInfo& caller = {});
    // Whether the method changes what is stored (and so is applied once per request id).
    static bool writes(const QString& method);
    // The most services one GetVerifServs call checks: a pasted block goes in parts of this size.
    static constexpr int MaxServicesPerCheck = 1000;

private:
    using Method = QByteArray (RdmMediEfeti::*)(const QList<RpcParam>&);
    static const QHash<QString, Method>& methods();

    QByteArray getPrxRelApurFat(const QList<RpcParam>& params);
    QByteArray getEfetGest(const QList<RpcParam>& params);
    QByteArray getVerifServ(const QList<RpcParam>& params);
    QByteArray getVerifServs(const QList<RpcParam>& params);
    QByteArray setEfetGest(const QList<RpcParam>& params);
    QByteArray importa(const QList<RpcParam>& params);
    QByteArray setDelTableApur(const QList<RpcParam>& params);
    QByteArray getHistEfetGest(const QList<RpcParam>& params);

    // Every method calls this with what it is about to touch, before touching it.
    void allow(const Rights::Reach& reach) const { Rights::require(caller_.account, reach); }
    // The branch a reservation was drawn for; empty when it has none or is not stored.
    QString branchOf(const std::optional<ReservationTicket>& ticket);

    Database& database_;
    std::chrono::seconds reservationTtl_;
    // Who makes the call under way.
    CallerInfo caller_;
};
