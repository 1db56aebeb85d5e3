#include "BackendFixture.h"

#include "Database.h"
#include "DatabaseSpec.h"
#include "PostgresServer.h"
#include "Transaction.h"

#include <QSqlQuery>
#include <QSqlRecord>

BackendFixture::BackendFixture(Kind kind) : kind_(kind) {}

BackendFixture::~BackendFixture()
{
    direct_.clear();
}

QString BackendFixture::name() const
{
    return kind_ == Kind::Sqlite ? QStringLiteral("sqlite") : QStringLiteral("postgresql");
}

bool BackendFixture::available(QString* reason) const
{
    return kind_ == Kind::Sqlite || PostgresServer::available(reason);
}

QString BackendFixture::newDatabase()
{
    const QString name = QStringLiteral("med%1").arg(++created_);
    if (kind_ == Kind::Sqlite)
        return dir_.filePath(name + QStringLiteral(".db"));
    if (!postgres_) {
        postgres_ = std::make_unique<PostgresServer>();
        postgres_->start();
    }
    postgres_->createDatabase(name);
    return postgres_->connectionString(name);
}

Database& BackendFixture::direct(const QString& database)
{
    auto& slot = direct_[database];
    if (!slot)
        slot = std::make_unique<Database>(DatabaseSpec::parse(database));
    return *slot;
}

void BackendFixture::addService(const QString& database, const QString& branch, const QString& service,
                                const QString& name)
{
    addServices(database, branch, {{service, name}});
}

void BackendFixture::addServices(const QString& database, const QString& branch,
                                 const QList<std::pair<QString, QString>>& services)
{
    Database& db = direct(database);
    Transaction transaction(db);
    db.exec(QStringLiteral("INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES (?, ?) ON CONFLICT DO NOTHING"),
            {branch, QStringLiteral("Filial ") + branch});
    for (const auto& [service, name] : services)
        db.exec(QStringLiteral("INSERT INTO SERVICO (CDFILIAL, CDSERVFILI, NMSERVICO) VALUES (?, ?, ?)"),
                {branch, service, name});
    transaction.commit();
}

void BackendFixture::addBilling(const QString& database, const QString& branch, QDate date,
                                const QString& service, Currency staff, Currency unitPrice)
{
    Database& db = direct(database);
    const SqlDialect& d = db.dialect();
    db.exec(QStringLiteral("INSERT INTO APURFATGD (CDFILIAL, DTAPURACFATGD, CDSERVFILIAPGD, NREFETIVOSAPGD, "
                           "VRPRECUNITAPGD) VALUES (?, ?, ?, ?, ?)"),
            {branch, d.toDate(date), service, d.toDecimal(QVariant::fromValue(staff)),
             d.toDecimal(QVariant::fromValue(unitPrice))});
}

int BackendFixture::workRows(const QString& database, const QString& reservation)
{
    int count = 0;
    const qint64 number = reservation.section(QLatin1Char('-'), 0, 0).toLongLong();
    direct(database).select(QStringLiteral("SELECT COUNT(*) FROM APURFATTRAB WHERE NRRESERVA = ?"), {number},
                            [&](const QSqlQuery& q) { count = q.value(0).toInt(); });
    return count;
}

int BackendFixture::reservations(const QString& database)
{
    int count = 0;
    direct(database).select(QStringLiteral("SELECT COUNT(*) FROM RESERVA"), {},
                            [&](const QSqlQuery& q) { count = q.value(0).toInt(); });
    return count;
}

QStringList BackendFixture::rows(const QString& database, const QString& sql)
{
    QStringList out;
    direct(database).select(sql, {}, [&](const QSqlQuery& q) {
        QStringList values;
        for (int column = 0; column < q.record().count(); ++column)
            values << q.value(column).toString();
        out << values.join(QLatin1Char('|'));
    });
    return out;
}

void BackendFixture::execute(const QString& database, const QString& sql)
{
    direct(database).exec(sql);
}

qint64 BackendFixture::number(const QString& database, const QString& sql)
{
    qint64 value = 0;
    direct(database).select(sql, {}, [&](const QSqlQuery& q) { value = q.value(0).toLongLong(); });
    return value;
}
