#include "AccountStore.h"

#include "Database.h"
#include "Exception.h"

namespace {

Account accountFrom(const QSqlQuery& q)
{
    Account account;
    account.login = q.value(0).toString();
    account.name = q.value(1).toString();
    account.role = Account::roleFromText(q.value(2).toString()).value_or(Account::Role::Consulta);
    account.active = q.value(3).toInt() != 0;
    account.branches = AccountStore::branchesFrom(q.value(4).toString());
    return account;
}

const QString Columns = QStringLiteral("LOGIN, NOME, PAPEL, ATIVO, FILIAIS");

} // namespace

QString AccountStore::branchesText(QStringList branches)
{
    branches.sort();
    branches.removeDuplicates();
    // Never NULL, which the column refuses: an administrador may have none listed.
    return branches.isEmpty() ? QStringLiteral("") : branches.join(QLatin1Char(','));
}

QStringList AccountStore::branchesFrom(const QString& text)
{
    return text.split(QLatin1Char(','), Qt::SkipEmptyParts);
}

bool AccountStore::any()
{
    bool found = false;
    database_.select(QStringLiteral("SELECT 1 FROM USUARIO LIMIT 1"), {},
                     [&](const QSqlQuery&) { found = true; });
    return found;
}

std::optional<AccountStore::Stored> AccountStore::find(const QString& login)
{
    std::optional<Stored> out;
    database_.select(QStringLiteral("SELECT %1, SENHA FROM USUARIO WHERE LOGIN = ?").arg(Columns), {login},
                     [&](const QSqlQuery& q) {
                         out = Stored{accountFrom(q), q.value(5).toByteArray()};
                     });
    return out;
}

QList<Account> AccountStore::all()
{
    QList<Account> out;
    database_.select(QStringLiteral("SELECT %1 FROM USUARIO ORDER BY LOGIN").arg(Columns), {},
                     [&](const QSqlQuery& q) { out.append(accountFrom(q)); });
    return out;
}

void AccountStore::add(const Account& account, const QByteArray& passwordHash)
{
    if (find(account.login))
        throw Exception(QStringLiteral("O usuário %1 já existe.").arg(account.login));
    database_.exec(QStringLiteral("INSERT INTO USUARIO (%1, SENHA) VALUES (?, ?, ?, ?, ?, ?)").arg(Columns),
                   {account.login, account.name, Account::roleText(account.role), account.active ? 1 : 0,
                    branchesText(account.branches), QString::fromLatin1(passwordHash)});
}

void AccountStore::setPassword(const QString& login, const QByteArray& passwordHash)
{
    changeOne(QStringLiteral("UPDATE USUARIO SET SENHA = ? WHERE LOGIN = ?"),
              {QString::fromLatin1(passwordHash), login}, login);
}

void AccountStore::setBranches(const QString& login, const QStringList& branches)
{
    changeOne(QStringLiteral("UPDATE USUARIO SET FILIAIS = ? WHERE LOGIN = ?"),
              {branchesText(branches), login}, login);
}

void AccountStore::setRole(const QString& login, Account::Role role)
{
    changeOne(QStringLiteral("UPDATE USUARIO SET PAPEL = ? WHERE LOGIN = ?"),
              {Account::roleText(role), login}, login);
}

void AccountStore::setActive(const QString& login, bool active)
{
    changeOne(QStringLiteral("UPDATE USUARIO SET ATIVO = ? WHERE LOGIN = ?"), {active ? 1 : 0, login}, login);
}

void AccountStore::changeOne(const QString& sql, const QVariantList& values, const QString& login)
{
    if (database_.exec(sql, values) == 0)
        throw Exception(QStringLiteral("O usuário %1 não existe.").arg(login));
}
