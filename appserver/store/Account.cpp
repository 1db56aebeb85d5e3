#include "Account.h"

#include <algorithm>

QString Account::roleText(Role role)
{
    switch (role) {
    case Role::Digitador:
        return QStringLiteral("digitador");
    case Role::Consulta:
        return QStringLiteral("consulta");
    case Role::Administrador:
        break;
    }
    return QStringLiteral("administrador");
}

std::optional<Account::Role> Account::roleFromText(const QString& text)
{
    for (const Role role : {Role::Digitador, Role::Consulta, Role::Administrador}) {
        if (text == roleText(role))
            return role;
    }
    return std::nullopt;
}

bool Account::validLogin(const QString& login)
{
    const auto allowed = [](QChar c) {
        return c.unicode() < 128 &&
               (c.isLetterOrNumber() || c == u'.' || c == u'_' || c == u'@' || c == u'-');
    };
    return !login.isEmpty() && login.size() <= 64 && std::all_of(login.begin(), login.end(), allowed);
}

bool Account::reaches(const QString& branch) const
{
    return role == Role::Administrador || branches.contains(branch);
}
