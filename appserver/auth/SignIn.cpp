#include "SignIn.h"

#include "AccountStore.h"
#include "CallerInfo.h"
#include "Exception.h"
#include "JsonString.h"
#include "Metrics.h"
#include "PamCheck.h"
#include "PasswordHash.h"
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
    const Started started = start(login, password, address);
    return finish(started, check(method_, started));
}

SignIn::Started SignIn::start(const QString& login, const QString& password, const QString& address)
{
    if (const qint64 wait = SignInThrottle(database_).waitFor(login, address); wait > 0) {
        Metrics::process().recordSignInRefused();
        qCWarning(lcServer).noquote() << "sign-in refused, too many failures: login"
                                      << CallerInfo::userFromHeader(login.toUtf8()) << "from" << address;
        throw Exception(
            QStringLiteral("Muitas tentativas de entrada sem sucesso. Tente de novo em %1 s.").arg(wait));
    }
    return {login, password, address, AccountStore(database_).find(login)};
}

SignIn::Check SignIn::check(const SignInMethod& method, const Started& started)
{
    try {
        Check out = checkPassword(method, started);
        const bool outdated = out.matches && started.stored && started.stored->account.active &&
                              method.kind == SignInMethod::Kind::Local &&
                              PasswordHash::outdated(started.stored->passwordHash);
        if (outdated)
            out.rehashed = PasswordHash::make(started.password);
        return out;
    } catch (const Exception& error) {
        Check out;
        out.fault = error.Message();
        return out;
    }
}

QByteArray SignIn::finish(const Started& started, const Check& check)
{
    if (!check.fault.isEmpty())
        throw Exception(check.fault);
    const std::optional<AccountStore::Stored>& stored = started.stored;
    if (!check.matches || !stored || !stored->account.active) {
        refuse(started.login, started.address, whyRefused(check, stored.has_value()));
        throw Exception(WrongCredentials);
    }
    Transaction transaction(database_);
    if (!check.rehashed.isEmpty())
        AccountStore(database_).setPassword(started.login, check.rehashed);
    SignInThrottle(database_).clear(started.login);
    const QByteArray session = SessionStore(database_, limits_).open(started.login);
    transaction.commit();
    qCInfo(lcServer).noquote() << "signed in:" << started.login << "from" << started.address;
    return answer(session, stored->account);
}

SignIn::Check SignIn::checkPassword(const SignInMethod& method, const Started& started)
{
    const QString& login = started.login;
    const QString& password = started.password;
    const std::optional<AccountStore::Stored>& stored = started.stored;
    // Checked in every case, so that an unknown login costs what a wrong password does.
    if (method.kind == SignInMethod::Kind::Local)
        return {PasswordHash::matches(stored ? stored->passwordHash : PasswordHash::dummy(), password),
                false,
                {},
                {},
                {}};
    // No account can have another name, and a password PAM would cut short is nobody's: neither
    // reaches the system's PAM stack.
    if (!Account::validLogin(login) || !PamCheck::askable(password))
        return {};
    const PamCheck::Outcome outcome = PamCheck::check(method.pamConfDir, login, password, started.address);
    switch (outcome.verdict) {
    case PamCheck::Outcome::Verdict::Accepted:
        return {true, false, {}, {}, {}};
    case PamCheck::Outcome::Verdict::Refused:
        return {false, false, QStringLiteral("refused by PAM (%1)").arg(outcome.reason), {}, {}};
    case PamCheck::Outcome::Verdict::Failed:
        break;
    }
    return {false, true, QStringLiteral("PAM failed (%1)").arg(outcome.reason), {}, {}};
}

QString SignIn::whyRefused(const Check& check, bool stored)
{
    // A failing PAM stack is named whoever signs in: the operator has to hear of it.
    if (check.failed || (stored && !check.matches && !check.why.isEmpty()))
        return check.why;
    return !stored          ? QStringLiteral("unknown login")
           : !check.matches ? QStringLiteral("wrong password")
                            : QStringLiteral("user disabled");
}

void SignIn::refuse(const QString& login, const QString& address, const QString& why)
{
    Transaction transaction(database_);
    SignInThrottle(database_).recordFailure(login, address);
    transaction.commit();
    Metrics::process().recordSignInFailure();
    qCWarning(lcServer).noquote() << "sign-in failed:" << why << "- login"
                                  << CallerInfo::userFromHeader(login.toUtf8()) << "from" << address;
}
