#include "EfetGestLineCheck.h"

#include "Currency.h"
#include "Database.h"
#include "EDatabaseError.h"
#include "EfetGestLayout.h"
#include "TDateTime.h"

#include <QSqlQuery>

namespace {

bool aboveZero(const QVariant& value)
{
    return !value.isNull() && value.value<Currency>() > Currency();
}

QString describe(const Record& line, qsizetype place)
{
    const EfetGestLayout& l = EfetGestLayout::instance();
    return QStringLiteral("Linha %1 (filial %2, data %3, serviço %4) recusada: ")
        .arg(place + 1)
        .arg(line[l.branch].toString(),
             line[l.date].value<TDateTime>().toDate().toString(QStringLiteral("dd/MM/yyyy")),
             line[l.service].toString());
}

} // namespace

void EfetGestLineCheck::check(const Record& line, qsizetype place)
{
    const EfetGestLayout& l = EfetGestLayout::instance();
    QString fault = keyFault(line);
    if (fault.isEmpty() && !aboveZero(line[l.staff]))
        fault = QStringLiteral("o nº de efetivos deve ser maior que zero.");
    if (fault.isEmpty() && !aboveZero(line[l.unitPrice]))
        fault = QStringLiteral("o valor unitário deve ser maior que zero.");
    if (fault.isEmpty() && !aboveZero(line[l.total]))
        fault = QStringLiteral("o valor total deve ser maior que zero.");
    if (!fault.isEmpty())
        throw EDatabaseError(describe(line, place) + fault);
}

void EfetGestLineCheck::checkKeyKept(const Record& original, const Record& values, qsizetype place)
{
    const EfetGestLayout& l = EfetGestLayout::instance();
    const bool kept =
        original[l.branch].toString() == values[l.branch].toString() &&
        original[l.date].value<TDateTime>().toDate() == values[l.date].value<TDateTime>().toDate() &&
        original[l.service].toString() == values[l.service].toString();
    if (!kept)
        throw EDatabaseError(describe(original, place) +
                             QStringLiteral("a filial, a data e o serviço de uma linha gravada não mudam; "
                                            "exclua a linha e inclua-a de novo."));
}

QString EfetGestLineCheck::keyFault(const Record& line)
{
    static const QString sql =
        QStringLiteral("SELECT (SELECT COUNT(*) FROM FILIAL WHERE CDFILIAL = ?), "
                       "(SELECT COUNT(*) FROM SERVICO WHERE CDFILIAL = ? AND CDSERVFILI = ?)");
    const EfetGestLayout& l = EfetGestLayout::instance();
    const QVariant branch = line[l.branch];
    bool branchFound = false;
    bool serviceFound = false;
    database_.select(sql, {branch, branch, line[l.service]}, [&](const QSqlQuery& q) {
        branchFound = q.value(0).toInt() > 0;
        serviceFound = q.value(1).toInt() > 0;
    });
    if (!branchFound)
        return QStringLiteral("filial não cadastrada.");
    if (!serviceFound)
        return QStringLiteral("serviço não cadastrado para a filial.");
    return {};
}
