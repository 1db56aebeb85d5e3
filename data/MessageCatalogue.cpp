#include "MessageCatalogue.h"

QStringList mediEfetiMessageLines()
{
    return {
        QStringLiteral("Excl|Confirma exclusão?"),
        QStringLiteral("Filial_Emp|Filial deve ser informada."),
        QStringLiteral("Filial_Cad|Filial não cadastrada."),
        QStringLiteral("Serv_cad|Serviço não cadastrado."),
        QStringLiteral("Serv_Emp|Serviço deve ser informado."),
        QStringLiteral("Serv_ja_cad|Efetivos para faturamento já cadastrado."),
        QStringLiteral("Data_ja_cad|Data faturamento já cadastrada."),
        QStringLiteral("Data_Emp|Data faturamento deve ser informada."),
        QStringLiteral("Cliente_cad|Cliente não cadastrado."),
        QStringLiteral("Cliente_Inv|Cliente deve ser informado."),
        QStringLiteral("Unit_Inf|Preço unitáro deve ser informado."),
        QStringLiteral("Servico|Serviço"),
        QStringLiteral("NNUME_Inf|Nº de efetivos deve ser informado"),
        QStringLiteral("DtFat_inf|Data faturamento deve ser informada."),
        QStringLiteral("N_Ha_Serv|Não há serviço cadastrado."),
        QStringLiteral("Cod_Emp|Código deve ser informado."),
        QStringLiteral("Tota_Inf|Valor total deve ser informado."),
        QStringLiteral("Serv_Inf|Serviço deve ser informado."),
    };
}
