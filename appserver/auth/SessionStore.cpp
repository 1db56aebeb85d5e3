#include "SessionStore.h"

#include "AccountStore.h"
#include "Database.h"
#include "SessionToken.h"

#include <QDateTime>

namespace {

constexpr qint64 UseRecordedEvery = 60'000;

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

qint64 ms(std::chrono::seconds s)
{
    return std::chrono::milliseconds(s).count();
}

} // namespace

QByteArray SessionStore::open(const QString& login)
{
    const QByteArray token = SessionToken::draw();
    const qint64 at = now();
    database_.exec(QStringLiteral("INSERT INTO SESSAO (HASH, LOGIN, CRIADA, USADA) VALUES (?, ?, ?, ?)"),
                   {QString::fromLatin1(SessionToken::stored(token)), login, at, at});
    return token;
}

std::optional<SessionStore::Open> SessionStore::resolve(QByteArrayView token)
{
    const QByteArray hash = SessionToken::stored(token);
    if (hash.isEmpty())
        return std::nullopt;
    static const QString sql =
        QStringLiteral("SELECT S.CRIADA, S.USADA, U.LOGIN, U.NOME, U.PAPEL, U.FILIAIS FROM SESSAO S "
                       "JOIN USUARIO U ON U.LOGIN = S.LOGIN WHERE S.HASH = ? AND U.ATIVO = 1");
    std::optional<Open> out;
    qint64 created = 0;
    qint64 used = 0;
    // Read in place on SQLite: every call pays for this lookup.
    database_.selectRows(sql, {QString::fromLatin1(hash)}, [&](const DatabaseRow& row) {
        created = row.value(0).toLongLong();
        used = row.value(1).toLongLong();
        Account account;
        account.login = row.text(2).toString();
        account.name = row.text(3).toString();
        account.role = Account::roleFromText(row.text(4).toString()).value_or(Account::Role::Consulta);
        account.branches = AccountStore::branchesFrom(row.text(5).toString());
        out = Open{std::move(account), hash};
    });
    const qint64 at = now();
    if (!out || at - created >= ms(limits_.lifetime) || at - used >= ms(limits_.idle))
        return std::nullopt;
    if (at - used >= UseRecordedEvery)
        database_.exec(QStringLiteral("UPDATE SESSAO SET USADA = ? WHERE HASH = ?"),
                       {at, QString::fromLatin1(hash)});
    return out;
}

void SessionStore::end(const QByteArray& hash)
{
    database_.exec(QStringLiteral("DELETE FROM SESSAO WHERE HASH = ?"), {QString::fromLatin1(hash)});
}

void SessionStore::endAllOf(const QString& login)
{
    database_.exec(QStringLiteral("DELETE FROM SESSAO WHERE LOGIN = ?"), {login});
}

void SessionStore::purgeExpired()
{
    const qint64 at = now();
    database_.exec(QStringLiteral("DELETE FROM SESSAO WHERE CRIADA < ? OR USADA < ?"),
                   {at - ms(limits_.lifetime), at - ms(limits_.idle)});
}
