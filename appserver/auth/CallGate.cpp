#include "CallGate.h"

#include "AccountStore.h"
#include "SessionStore.h"

namespace {

// Compares in time that depends only on the expected secret's length, never on where or whether the
// texts differ, nor on how long the offered one is.
bool sameSecret(QByteArrayView offered, QByteArrayView expected)
{
    unsigned diff = offered.size() == expected.size() ? 0 : 1;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const char c = i < offered.size() ? offered[i] : '\0';
        diff |= static_cast<unsigned char>(c ^ expected[i]);
    }
    return diff == 0;
}

} // namespace

bool CallGate::accountsExist()
{
    if (!accountsSeen_)
        accountsSeen_ = AccountStore(database_).any();
    return accountsSeen_;
}

bool CallGate::tokenMatches(QByteArrayView bearer) const
{
    return token_.isEmpty() || sameSecret(bearer, token_);
}

bool CallGate::refusedOnHead(QByteArrayView bearer)
{
    return !accountsExist() && !tokenMatches(bearer);
}

CallGate::Admission CallGate::admit(QByteArrayView bearer, CallerInfo& caller)
{
    if (!accountsExist())
        return tokenMatches(bearer) ? Admission::Open : Admission::Refused;
    std::optional<SessionStore::Open> session = SessionStore(database_, limits_).resolve(bearer);
    if (!session) {
        caller.needsSession = true;
        return Admission::NoSession;
    }
    caller.user = session->account.login;
    caller.account = std::move(session->account);
    caller.session = std::move(session->hash);
    return Admission::Open;
}
