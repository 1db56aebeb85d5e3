#pragma once

#include "CallerInfo.h"
#include "SessionLimits.h"

#include <QByteArray>
#include <QByteArrayView>

class Database;

// Who a call comes from, judged on its bearer credentials. While the database has no accounts, the
// shared token opens the remote methods (none needed when none is set, on loopback), as before
// accounts existed. Once one exists only a live session does, and the token serves /metrics alone.
class CallGate {
public:
    CallGate(Database& database, QByteArray token, SessionLimits limits)
        : database_(database), token_(std::move(token)), limits_(limits)
    {}

    enum class Admission { Open, NoSession, Refused };

    // Open: the call goes on, with `caller` naming its account where there is one. NoSession: accounts
    // exist and no live session came (only Login may go on). Refused: the shared token is wrong.
    Admission admit(QByteArrayView bearer, CallerInfo& caller);
    // Whether a call is refused on its head alone, before its body is read.
    bool refusedOnHead(QByteArrayView bearer);
    // Whether `bearer` is the shared token (any when none is set).
    bool tokenMatches(QByteArrayView bearer) const;

private:
    bool accountsExist();

    Database& database_;
    QByteArray token_;
    SessionLimits limits_;
    // Accounts are never deleted: once seen, they exist.
    bool accountsSeen_ = false;
};
