#include "Rights.h"

#include "Exception.h"

namespace Rights {

void require(const std::optional<Account>& account, const Reach& reach)
{
    if (!account)
        return;
    for (const QString& branch : reach.branches) {
        if (!branch.isEmpty() && !account->reaches(branch))
            throw Exception(QStringLiteral("Usuário sem acesso à filial %1.").arg(branch));
    }
    if (reach.changes && !account->changes())
        throw Exception(QStringLiteral("Usuário sem permissão para alterar."));
}

} // namespace Rights
