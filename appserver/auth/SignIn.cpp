#include "SignIn.h"

#include "AccountStore.h"
#include "CallerInfo.h"
#include "JsonString.h"
#include "Metrics.h"
#include "PasswordHash.h"
#include "Exception.h"
#include "ServerLog.h"
#include "SessionStore.h"
#include "SignInThrottle.h"
#include "Transaction.h"

namespace {

const QString WrongCredentials = QStringLiteral("Usuário ou senha inválidos.");

QByteArray answer(const QByteArray& session, const Account& account)
{
    QByteArray branches;
    for (const QString& branch : account.branches)
        branches += (branches.isEmpty() ? "" : ",") + JsonString::quoted(branch);
    return "{\"session\":" + JsonString::quoted(QString::fromLatin1(session)) +
           ",\"login\":" + JsonString::quoted(account.login) +
           ",\"name\":" + JsonString::quoted(account.name) +
           ",\"role\":" + JsonString::quoted(Account::roleText(account.role)) + ",\"branches\":[" + branches +
           "]}";
}

} // namespace

QByteArray SignIn::login(const QString& login, const QString& password, const QString& address)
{
    SignInThrottle throttle(database_);
    if (const qint64 wait = throttle.waitFor(login, address); wait > 0) {
        Metrics::process().recordSignInRefused();
        qCWarning(lcServer).noquote() << "sign-in refused, too many failures: login"
                                      << CallerInfo::userFromHeader(login.toUtf8()) << "from" << address;
        throw Exception(
            QStringLiteral("Muitas tentativas de entrada sem sucesso. Tente de novo em %1 s.").arg(wait));
    }
    AccountStore accounts(database_);
    const std::optional<AccountStore::Stored> stored = accounts.find(login);
    // Checked in every case, so that an unknown login costs what a wrong password does.
    const bool matches =
        PasswordHash::matches(stored ? stored->passwordHash : PasswordHash::dummy(), password);
    if (!matches || !stored || !stored->account.active) {
        refuse(login, address, !stored ? "unknown login" : !matches ? "wrong password" : "user disabled");
        throw Exception(WrongCredentials);
    }
    const QByteArray rehashed =
        PasswordHash::outdated(stored->passwordHash) ? PasswordHash::make(password) : QByteArray();
    Transaction transaction(database_);
    if (!rehashed.isEmpty())
        accounts.setPassword(login, rehashed);
    throttle.clear(login);
    const QByteArray session = SessionStore(database_, limits_).open(login);
    transaction.commit();
    qCInfo(lcServer).noquote() << "signed in:" << login << "from" << address;
    return answer(session, stored->account);
}

void SignIn::refuse(const QString& login, const QString& address, const char* why)
{
    Transaction transaction(database_);
    SignInThrottle(database_).recordFailure(login, address);
    transaction.commit();
    Metrics::process().recordSignInFailure();
    qCWarning(lcServer).noquote() << "sign-in failed:" << why << "- login"
                                  << CallerInfo::userFromHeader(login.toUtf8()) << "from" << address;
}
