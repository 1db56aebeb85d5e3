#pragma once

#include "Account.h"

#include <QByteArray>
#include <QList>
#include <optional>

class Database;

// The accounts in the server's database (USUARIO): read at sign-in and on each call, changed by the
// `user` command. Callers hold the transaction where several statements must go together.
class AccountStore {
public:
    explicit AccountStore(Database& database) : database_(database) {}

    struct Stored {
        Account account;
        QByteArray passwordHash;
    };

    bool any();
    std::optional<Stored> find(const QString& login);
    QList<Account> all();
    // Throws Exception when the login is taken.
    void add(const Account& account, const QByteArray& passwordHash);
    // Each throws Exception when there is no such login.
    void setPassword(const QString& login, const QByteArray& passwordHash);
    void setBranches(const QString& login, const QStringList& branches);
    void setRole(const QString& login, Account::Role role);
    void setActive(const QString& login, bool active);

    // The stored form of a branch list, and back.
    static QString branchesText(QStringList branches);
    static QStringList branchesFrom(const QString& text);

private:
    void changeOne(const QString& sql, const QVariantList& values, const QString& login);

    Database& database_;
};
