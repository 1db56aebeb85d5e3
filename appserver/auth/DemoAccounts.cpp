#include "DemoAccounts.h"

#include "AccountStore.h"
#include "Database.h"
#include "PasswordHash.h"
#include "Transaction.h"

namespace DemoAccounts {

void seedIfNone(Database& database)
{
    struct Demo {
        const char* login;
        const char* name;
        Account::Role role;
        QStringList branches;
        const char* password;
    };
    const Demo demos[] = {
        {"admin", "Administrador de Demonstração", Account::Role::Administrador, {}, "demo-admin"},
        {"digitador",
         "Digitadora de Demonstração",
         Account::Role::Digitador,
         {"0001", "0002", "0003"},
         "demo-digitador"},
        {"consulta",
         "Consulta de Demonstração",
         Account::Role::Consulta,
         {"0001", "0002", "0003"},
         "demo-consulta"},
        {"filial2", "Digitadora da Filial 0002", Account::Role::Digitador, {"0002"}, "demo-filial2"},
    };
    Transaction transaction(database);
    // Servers started together on one empty database: the first seeds, the others wait here for it.
    if (const QString lock = database.dialect().schemaLock(); !lock.isEmpty())
        database.execDirect(lock);
    AccountStore accounts(database);
    if (accounts.any())
        return;
    for (const Demo& demo : demos) {
        accounts.add(
            {QString::fromUtf8(demo.login), QString::fromUtf8(demo.name), demo.role, true, demo.branches},
            PasswordHash::make(QString::fromUtf8(demo.password)));
    }
    transaction.commit();
}

} // namespace DemoAccounts
