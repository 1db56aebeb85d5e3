#include "TADOIBQuery.h"

#include "EDatabaseError.h"
#include "PositionalSql.h"
#include "QueryDataSet.h"
#include "dtmDBGeral.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

const QString DataSetSuffix = QStringLiteral(".Query");

} // namespace

TADOIBQuery::TADOIBQuery(QObject* parent) : QObject(parent), data_(new QueryDataSet(this))
{
    connect(this, &QObject::objectNameChanged, data_,
            [this](const QString& name) { data_->setObjectName(name + DataSetSuffix); });
}

TADOIBQuery::~TADOIBQuery() = default;

const QStringList& TADOIBQuery::Sql(DatabaseDialect dialect) const
{
    return sql_[std::size_t(dialect)];
}

void TADOIBQuery::SetSql(DatabaseDialect dialect, const QStringList& lines)
{
    sql_[std::size_t(dialect)] = lines;
    declareParams();
}

QString TADOIBQuery::SqlText(DatabaseDialect dialect) const
{
    return Sql(dialect).join(QLatin1Char('\n'));
}

// Every text's names, InterBase's first: whichever dialect runs, the callers set the same parameters.
void TADOIBQuery::declareParams()
{
    QStringList names;
    for (const QStringList& lines : sql_)
        for (const QString& name : PositionalSql::fromNamed(lines.join(QLatin1Char('\n'))).names())
            if (!names.contains(name, Qt::CaseInsensitive))
                names.append(name);
    params_.Declare(names);
}

TParam& TADOIBQuery::ParamByName(QStringView name)
{
    if (TParam* param = params_.FindParam(name))
        return *param;
    throw EDatabaseError(
        QStringLiteral("Parâmetro '%1' não encontrado em '%2'.").arg(name.toString(), objectName()));
}

void TADOIBQuery::SetFilter(const QString& fieldName, QueryDataSet::ValueFilter keeps)
{
    data_->SetRowFilter(fieldName, std::move(keeps));
}

void TADOIBQuery::ClearFilter()
{
    data_->ClearRowFilter();
}

bool TADOIBQuery::Filtered() const
{
    return data_->Filtered();
}

void TADOIBQuery::Open()
{
    if (Active())
        return;
    const TdtmDBGeral& module = dtmDBGeral();
    const QString text = SqlText(module.dialect());
    if (text.trimmed().isEmpty())
        fail(QStringLiteral("não há texto SQL para o dialeto %1.").arg(dialectName(module.dialect())));
    const PositionalSql sql = PositionalSql::fromNamed(text);
    QSqlQuery query(module.adcGeral());
    query.setForwardOnly(true);
    if (!query.prepare(sql.text))
        fail(query.lastError().text());
    for (const QString& name : sql.occurrences)
        query.addBindValue(ParamByName(name).BindValue());
    if (!query.exec())
        fail(query.lastError().text());
    data_->Fill(query);
}

void TADOIBQuery::Close()
{
    data_->Close();
}

bool TADOIBQuery::Active() const
{
    return data_->Active();
}

bool TADOIBQuery::IsEmpty() const
{
    return data_->IsEmpty();
}

TField* TADOIBQuery::FieldByName(QStringView fieldName) const
{
    return data_->FieldByName(fieldName);
}

TDataSet* TADOIBQuery::Query() const
{
    return data_;
}

void TADOIBQuery::fail(const QString& problem) const
{
    throw EDatabaseError(QStringLiteral("Erro em '%1': %2").arg(objectName(), problem));
}
