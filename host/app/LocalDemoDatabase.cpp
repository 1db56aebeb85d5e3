#include "LocalDemoDatabase.h"

#include "DemoCatalogue.h"
#include "EDatabaseError.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

namespace {

const QString SetupConnection = QStringLiteral("localDemoSetup");

void exec(QSqlQuery& query, const QString& sql, const QVariantList& values = {})
{
    query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw EDatabaseError(QStringLiteral("Banco local: %1").arg(query.lastError().text()));
}

void fill(QSqlDatabase& db)
{
    QSqlQuery query(db);
    exec(query, QStringLiteral("CREATE TABLE FILIAL (CDFILIAL VARCHAR(4) NOT NULL PRIMARY KEY, "
                               "NMFILIAL VARCHAR(30))"));
    exec(query, QStringLiteral("CREATE TABLE SERVICO (CDFILIAL VARCHAR(4) NOT NULL, "
                               "CDSERVFILI VARCHAR(5) NOT NULL, NMSERVICO VARCHAR(40), "
                               "PRIMARY KEY (CDFILIAL, CDSERVFILI))"));
    for (const DemoCatalogue::Branch& branch : DemoCatalogue::branches()) {
        exec(query, QStringLiteral("INSERT INTO FILIAL VALUES (?, ?)"), {branch.code, branch.name});
        for (const DemoCatalogue::Service& service : branch.services)
            exec(query, QStringLiteral("INSERT INTO SERVICO VALUES (?, ?, ?)"),
                 {branch.code, service.code, service.name});
    }
}

void create(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), SetupConnection);
        db.setDatabaseName(path);
        if (!db.open())
            throw EDatabaseError(QStringLiteral("Banco local %1: %2").arg(path, db.lastError().text()));
        db.transaction();
        try {
            fill(db);
        } catch (...) {
            db.rollback();
            db.close();
            QFile::remove(path);
            throw;
        }
        db.commit();
    }
    QSqlDatabase::removeDatabase(SetupConnection);
}

} // namespace

QString LocalDemoDatabase::defaultPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("med00418-local.db"));
}

LocalDatabaseSettings LocalDemoDatabase::prepare(LocalDatabaseSettings settings)
{
    if (settings.driver != QLatin1String("QSQLITE"))
        return settings;
    if (settings.database.isEmpty())
        settings.database = defaultPath();
    if (!QFileInfo::exists(settings.database))
        create(settings.database);
    return settings;
}
