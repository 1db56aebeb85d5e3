#pragma once

#include "SoakTally.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <atomic>

class RpcClient;

// One screen through the load balancer: reads its list, saves a line of its own, draws and releases a
// reservation and now and then imports a branch and day no other client touches. Each write carries an
// Idempotency-Key and is sent again with the same key and bytes while the answer is missing or the
// balancer has no server for it, until the give-up time.
class SoakClient {
public:
    struct Settings {
        quint16 port = 0;
        int client = 0;
        int giveUpMs = 20000;
        QList<QPair<QString, QDate>> importSlots; // this client's own
        bool newKeyOnResend = false;
        // The group's client account (scripts/cluster.sh): every client signs in as "carga".
        QByteArray password;
    };
    static constexpr int MaxRounds = 5000;

    SoakClient(Settings settings, const QElapsedTimer& clock, const std::atomic_bool& stop);
    void run();
    const SoakTally& tally() const { return tally_; }

    // The day of this client's round: every line it saves has a key of its own.
    static QDate lineDate(int client, int round);

private:
    struct Answer {
        bool ok = false;
        QByteArray result;
        QString error;
    };
    Answer call(RpcClient& rpc, const QByteArray& method, const QList<QByteArray>& params, bool write);
    void round(RpcClient& rpc, int round);
    void save(RpcClient& rpc, int round);
    void reserveAndRelease(RpcClient& rpc);
    void import(RpcClient& rpc, const QPair<QString, QDate>& slot);
    void release(RpcClient& rpc, const QByteArray& ticket);
    void noteTicket(const QByteArray& ticket);

    Settings settings_;
    const QElapsedTimer& clock_;
    const std::atomic_bool& stop_;
    SoakTally tally_;
    int nextImport_ = 0;
};
