#include "DemoCatalogue.h"

#include <QStringList>

namespace DemoCatalogue {

QList<Branch> branches()
{
    const QStringList branchNames = {QStringLiteral("Matriz São Paulo"), QStringLiteral("Filial Campinas"),
                                     QStringLiteral("Filial Curitiba"),
                                     QStringLiteral("Filial Porto Alegre")};
    const QStringList serviceNames = {QStringLiteral("Vigilância"), QStringLiteral("Limpeza e Conservação"),
                                      QStringLiteral("Portaria"),   QStringLiteral("Recepção"),
                                      QStringLiteral("Jardinagem"), QStringLiteral("Manutenção Predial"),
                                      QStringLiteral("Copeiragem"), QStringLiteral("Segurança Eletrônica")};
    QList<Branch> list;
    for (int b = 0; b < branchNames.size(); ++b) {
        Branch branch{QStringLiteral("%1").arg(b + 1, 4, 10, QLatin1Char('0')), branchNames[b], {}};
        // Each branch has a few more services than the one before.
        for (int s = 0; s < 5 + b; ++s)
            branch.services.append(
                {QStringLiteral("%1").arg(s + 1, 5, 10, QLatin1Char('0')), serviceNames[s]});
        list.append(std::move(branch));
    }
    return list;
}

} // namespace DemoCatalogue
