#include "Schema.h"

#include "Database.h"
#include "Exception.h"
#include "Transaction.h"

namespace Schema {

namespace {

QStringList versionOne(const SqlDialect& d)
{
    const QString date = d.dateType();
    QStringList statements = d.reservationSequence();
    statements << QStringLiteral(
                      "CREATE TABLE IF NOT EXISTS FILIAL (CDFILIAL VARCHAR(4) NOT NULL PRIMARY KEY, "
                      "NMFILIAL VARCHAR(30))")
               << QStringLiteral("CREATE TABLE IF NOT EXISTS SERVICO (CDFILIAL VARCHAR(4) NOT NULL, "
                                 "CDSERVFILI VARCHAR(5) NOT NULL, NMSERVICO VARCHAR(40), "
                                 "PRIMARY KEY (CDFILIAL, CDSERVFILI))")
               << QStringLiteral("CREATE TABLE IF NOT EXISTS USR_EFETGEST (USR_CDFILIAL VARCHAR(4) NOT NULL, "
                                 "USR_DTEFETGEST %1 NOT NULL, USR_CDSERVFILI VARCHAR(5) NOT NULL, "
                                 "USR_QTEFETGEST %2, USR_VREFETGEST %3, USR_VRTTSERVGEST %3, "
                                 "PRIMARY KEY (USR_CDFILIAL, USR_DTEFETGEST, USR_CDSERVFILI))")
                      .arg(date, d.decimalType(10, 3), d.decimalType(15, 2))
               << QStringLiteral("CREATE TABLE IF NOT EXISTS APURFATGD (CDFILIAL VARCHAR(4) NOT NULL, "
                                 "DTAPURACFATGD %1 NOT NULL, CDSERVFILIAPGD VARCHAR(5) NOT NULL, "
                                 "NREFETIVOSAPGD %2 NOT NULL, VRPRECUNITAPGD %3 NOT NULL, "
                                 "PRIMARY KEY (CDFILIAL, DTAPURACFATGD, CDSERVFILIAPGD))")
                      .arg(date, d.decimalType(10, 3), d.decimalType(15, 2))
               << QStringLiteral("CREATE TABLE IF NOT EXISTS RESERVA (%1, CDFILIAL VARCHAR(4) NOT NULL, "
                                 "CRIADOEM BIGINT NOT NULL)")
                      .arg(d.reservationKeyColumn())
               << QStringLiteral("CREATE INDEX IF NOT EXISTS RESERVA_CRIADOEM ON RESERVA (CRIADOEM)")
               << QStringLiteral("CREATE TABLE IF NOT EXISTS APURFATTRAB (NRRESERVA BIGINT NOT NULL, "
                                 "CDFILIAL VARCHAR(4) NOT NULL, DTAPURACFATGD %1 NOT NULL, "
                                 "CDSERVFILIAPGD VARCHAR(5) NOT NULL, NREFETIVOSAPGD %2 NOT NULL, "
                                 "VRPRECUNITAPGD %3 NOT NULL, PRIMARY KEY (NRRESERVA, CDSERVFILIAPGD))")
                      .arg(date, d.decimalType(10, 3), d.decimalType(15, 2));
    return statements;
}

// Reservations carry a secret that proves their holder; ones drawn before have none and cannot be
// used again, so they just expire.
QStringList versionTwo()
{
    return {QStringLiteral("ALTER TABLE RESERVA ADD COLUMN SEGREDO VARCHAR(32)")};
}

// The first outcome of each write call sent with a request id, so that sending it again is harmless.
QStringList versionThree()
{
    return {
        QStringLiteral("CREATE TABLE REQUISICAO (IDREQUISICAO VARCHAR(64) NOT NULL PRIMARY KEY, "
                       "IMPRESSAO VARCHAR(64) NOT NULL, RESULTADO TEXT NOT NULL, CRIADOEM BIGINT NOT NULL)"),
        QStringLiteral("CREATE INDEX REQUISICAO_CRIADOEM ON REQUISICAO (CRIADOEM)")};
}

// Every change to a measurement line; rows go only by the bounds of version five.
QStringList versionFour(const SqlDialect& d)
{
    const QString key = d.kind() == DatabaseSpec::Kind::Sqlite
                            ? QStringLiteral("NRHIST INTEGER PRIMARY KEY AUTOINCREMENT")
                            : QStringLiteral("NRHIST BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY");
    return {QStringLiteral("CREATE TABLE HIST_EFETGEST (%1, QUANDO BIGINT NOT NULL, CLIENTE VARCHAR(64), "
                           "USUARIO VARCHAR(64), TIPO VARCHAR(10) NOT NULL, CDFILIAL VARCHAR(4) NOT NULL, "
                           "DTEFETGEST %2 NOT NULL, CDSERVFILI VARCHAR(5) NOT NULL, QT_ANTES %3, "
                           "VR_ANTES %4, TT_ANTES %4, QT_DEPOIS %3, VR_DEPOIS %4, TT_DEPOIS %4)")
                .arg(key, d.dateType(), d.decimalType(10, 3), d.decimalType(15, 2)),
            QStringLiteral("CREATE INDEX HIST_EFETGEST_LINHA ON HIST_EFETGEST (CDFILIAL, DTEFETGEST, "
                           "CDSERVFILI, NRHIST)")};
}

// What grows with calls is bounded per caller: reservations and request outcomes name theirs; the
// history is pruned per line and caller, and by age.
QStringList versionFive()
{
    return {QStringLiteral("ALTER TABLE RESERVA ADD COLUMN CLIENTE VARCHAR(64)"),
            QStringLiteral("CREATE INDEX RESERVA_CLIENTE ON RESERVA (CLIENTE, NRRESERVA)"),
            QStringLiteral("ALTER TABLE REQUISICAO ADD COLUMN CLIENTE VARCHAR(64)"),
            QStringLiteral("CREATE INDEX REQUISICAO_CLIENTE ON REQUISICAO (CLIENTE, CRIADOEM)"),
            QStringLiteral("CREATE INDEX HIST_EFETGEST_CLIENTE ON HIST_EFETGEST (CDFILIAL, DTEFETGEST, "
                           "CDSERVFILI, CLIENTE, NRHIST)"),
            QStringLiteral("CREATE INDEX HIST_EFETGEST_QUANDO ON HIST_EFETGEST (QUANDO)")};
}

// Accounts with their role and branches, their sessions (only each token's hash) and the failed
// sign-ins of the last minutes.
QStringList versionSix()
{
    return {
        QStringLiteral("CREATE TABLE USUARIO (LOGIN VARCHAR(64) NOT NULL PRIMARY KEY, NOME VARCHAR(100) "
                       "NOT NULL, SENHA VARCHAR(128) NOT NULL, ATIVO INTEGER NOT NULL, PAPEL VARCHAR(15) "
                       "NOT NULL, FILIAIS TEXT NOT NULL)"),
        QStringLiteral("CREATE TABLE SESSAO (HASH VARCHAR(64) NOT NULL PRIMARY KEY, LOGIN VARCHAR(64) NOT "
                       "NULL, CRIADA BIGINT NOT NULL, USADA BIGINT NOT NULL)"),
        QStringLiteral("CREATE INDEX SESSAO_LOGIN ON SESSAO (LOGIN)"),
        QStringLiteral("CREATE TABLE FALHA_LOGIN (LOGIN VARCHAR(64) NOT NULL, ENDERECO VARCHAR(64) NOT NULL, "
                       "QUANDO BIGINT NOT NULL)"),
        QStringLiteral("CREATE INDEX FALHA_LOGIN_LOGIN ON FALHA_LOGIN (LOGIN, QUANDO)"),
        QStringLiteral("CREATE INDEX FALHA_LOGIN_ENDERECO ON FALHA_LOGIN (ENDERECO, QUANDO)")};
}

// Step n brings the schema from version n to n + 1.
QList<QStringList> steps(const SqlDialect& dialect)
{
    return {versionOne(dialect),  versionTwo(),  versionThree(),
            versionFour(dialect), versionFive(), versionSix()};
}

// Checked before it is created: on an existing table PostgreSQL answers IF NOT EXISTS with a notice,
// which every start and every `user` command would print for the administrator to wonder about.
bool hasVersionTable(Database& database)
{
    int count = 0;
    database.select(database.dialect().tableCount(), {QStringLiteral("SCHEMA_VERSION")},
                    [&](const QSqlQuery& row) { count = row.value(0).toInt(); });
    return count > 0;
}

int storedVersion(Database& database)
{
    int version = 0;
    database.select(QStringLiteral("SELECT MAX(VERSAO) FROM SCHEMA_VERSION"), {},
                    [&](const QSqlQuery& row) { version = row.value(0).toInt(); });
    return version;
}

} // namespace

int migrate(Database& database)
{
    Transaction transaction(database);
    const SqlDialect& dialect = database.dialect();
    if (!dialect.schemaLock().isEmpty())
        database.execDirect(dialect.schemaLock());
    if (!hasVersionTable(database))
        database.execDirect(QStringLiteral("CREATE TABLE SCHEMA_VERSION (VERSAO INTEGER NOT NULL)"));
    const QList<QStringList> all = steps(dialect);
    const int from = storedVersion(database);
    if (from > CurrentVersion)
        throw Exception(
            QStringLiteral("The database's schema is at version %1, newer than version %2 this server "
                           "knows: install the server version that upgraded it.")
                .arg(from)
                .arg(CurrentVersion));
    for (int step = from; step < int(all.size()); ++step) {
        for (const QString& statement : all[step])
            database.execDirect(statement);
    }
    if (from < CurrentVersion) {
        database.execDirect(QStringLiteral("DELETE FROM SCHEMA_VERSION"));
        database.exec(QStringLiteral("INSERT INTO SCHEMA_VERSION (VERSAO) VALUES (?)"), {CurrentVersion});
    }
    transaction.commit();
    return from;
}

} // namespace Schema
