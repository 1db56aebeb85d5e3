#pragma once

#include "DatabaseDialect.h"
#include "QueryDataSet.h"
#include "TParams.h"
#include "host_kit_export.h"

#include <QObject>
#include <QStringList>
#include <array>

class TDataSet;
class TField;

// A read-only lookup on the local database of dtmDBGeral, with one SQL text per dialect; the module's
// dialect picks the text that runs. Parameters are the `:NAME`s of the texts, of kind string. Every
// use closes the query, sets its parameters, opens it and reads it; it then stays open on its rows.
// The fields are declared on Query() before the first Open. A filter narrows the rows an Open keeps
// by a rule of the caller's, leaving the texts of every dialect as they are.
class HOST_KIT_EXPORT TADOIBQuery : public QObject {
    Q_OBJECT

public:
    explicit TADOIBQuery(QObject* parent = nullptr);
    ~TADOIBQuery() override;

    // The text of each dialect, as lines.
    const QStringList& Sql(DatabaseDialect dialect) const;
    void SetSql(DatabaseDialect dialect, const QStringList& lines);
    // The lines joined with line breaks, as the database receives them.
    QString SqlText(DatabaseDialect dialect) const;

    const QStringList& SQL_ORACLE() const { return Sql(DatabaseDialect::Oracle); }
    void SetSQL_ORACLE(const QStringList& lines) { SetSql(DatabaseDialect::Oracle, lines); }
    const QStringList& SQL_MSSQL() const { return Sql(DatabaseDialect::MsSql); }
    void SetSQL_MSSQL(const QStringList& lines) { SetSql(DatabaseDialect::MsSql, lines); }
    const QStringList& SQL_IB() const { return Sql(DatabaseDialect::InterBase); }
    void SetSQL_IB(const QStringList& lines) { SetSql(DatabaseDialect::InterBase, lines); }
    const QStringList& SQL_SQLITE() const { return Sql(DatabaseDialect::Sqlite); }
    void SetSQL_SQLITE(const QStringList& lines) { SetSql(DatabaseDialect::Sqlite, lines); }
    const QStringList& SQL_PG() const { return Sql(DatabaseDialect::Postgres); }
    void SetSQL_PG(const QStringList& lines) { SetSql(DatabaseDialect::Postgres, lines); }

    const TParams& Params() const { return params_; }
    // Any case. EDatabaseError naming the query and the parameter when no text has it.
    TParam& ParamByName(QStringView name);

    // From the next Open on, and until ClearFilter, keeps of the rows fetched only those whose field
    // `fieldName` holds a text `keeps` accepts; set, like the parameters, before Open.
    void SetFilter(const QString& fieldName, QueryDataSet::ValueFilter keeps);
    void ClearFilter();
    bool Filtered() const;

    // Runs the text of dtmDBGeral's dialect with every parameter bound and fetches all rows, keeping
    // those the filter accepts; the result then stands on its first row. Does nothing when already
    // open. Database errors raise EDatabaseError with the query's name and the driver's text; the
    // query is then closed.
    void Open();
    void Close();
    bool Active() const;
    bool IsEmpty() const;
    // A field of the result, by column name; EDatabaseError when there is none.
    TField* FieldByName(QStringView fieldName) const;

    // The result as a read-only data set, for a TDataSource or a search list.
    TDataSet* Query() const;

private:
    void declareParams();
    [[noreturn]] void fail(const QString& problem) const;

    std::array<QStringList, DatabaseDialectCount> sql_;
    TParams params_;
    QueryDataSet* data_; // child object
};
