#include "dtmDBGeral.h"

#include "EDatabaseError.h"
#include "HostSettings.h"

#include <QCoreApplication>
#include <QSqlError>
#include <memory>

namespace {

std::unique_ptr<TdtmDBGeral>& instance()
{
    // Touch Qt's connection registry first, so that it outlives this module at exit.
    static std::unique_ptr<TdtmDBGeral> module = [] {
        (void)QSqlDatabase::connectionNames();
        return std::unique_ptr<TdtmDBGeral>();
    }();
    return module;
}

DatabaseDialect dialectOf(const LocalDatabaseSettings& settings)
{
    return settings.dialect.trimmed().isEmpty() ? dialectOfDriver(settings.driver)
                                                : dialectFromName(settings.dialect);
}

void configure(QSqlDatabase& db, const LocalDatabaseSettings& settings)
{
    db.setDatabaseName(settings.database);
    db.setHostName(settings.host);
    if (settings.port > 0)
        db.setPort(settings.port);
    db.setUserName(settings.user);
    db.setPassword(settings.password);
}

} // namespace

TdtmDBGeral::TdtmDBGeral(const LocalDatabaseSettings& settings)
    : settings_(settings), dialect_(dialectOf(settings))
{
    if (settings.database.trimmed().isEmpty())
        throw EDatabaseError(QStringLiteral("Banco de dados local não configurado (BancoLocal/Database)."));
    if (!QSqlDatabase::isDriverAvailable(settings.driver))
        throw EDatabaseError(
            QStringLiteral("Driver de banco de dados '%1' não disponível.").arg(settings.driver));
    QSqlDatabase db = QSqlDatabase::addDatabase(settings.driver, ConnectionName);
    configure(db, settings);
    if (!db.open()) {
        const QString error = db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(ConnectionName);
        throw EDatabaseError(QStringLiteral("Não foi possível abrir o banco de dados local '%1': %2")
                                 .arg(settings.database, error));
    }
}

TdtmDBGeral::~TdtmDBGeral()
{
    {
        QSqlDatabase db = QSqlDatabase::database(ConnectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(ConnectionName);
}

TdtmDBGeral& TdtmDBGeral::open(const LocalDatabaseSettings& settings)
{
    reset();
    auto& module = instance();
    module.reset(new TdtmDBGeral(settings));
    // Close while Qt's plug-ins are still loaded, rather than at static destruction.
    qRemovePostRoutine(&TdtmDBGeral::reset);
    qAddPostRoutine(&TdtmDBGeral::reset);
    return *module;
}

void TdtmDBGeral::reset()
{
    instance().reset();
}

TdtmDBGeral* TdtmDBGeral::current()
{
    return instance().get();
}

QSqlDatabase TdtmDBGeral::adcGeral() const
{
    return QSqlDatabase::database(ConnectionName, false);
}

TdtmDBGeral& dtmDBGeral()
{
    if (TdtmDBGeral* module = TdtmDBGeral::current())
        return *module;
    return TdtmDBGeral::open(LocalDatabaseSettings::fromHost(HostSettings()));
}
