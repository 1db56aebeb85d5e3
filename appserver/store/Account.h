#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// One clerk the server knows: what she may do and on which branches. The password hash never leaves
// the account store.
struct Account {
    enum class Role { Digitador, Consulta, Administrador };

    QString login;
    QString name;
    Role role = Role::Consulta;
    bool active = true;
    QStringList branches; // sorted; every branch for an administrador whatever is stored

    static QString roleText(Role role);
    static std::optional<Role> roleFromText(const QString& text);
    // 1 to 64 letters, digits or . _ @ -: what an account may be called.
    static bool validLogin(const QString& login);
    // Whether the account may read the lines of `branch`.
    bool reaches(const QString& branch) const;
    bool changes() const { return role != Role::Consulta; }
};
