#include "LocalDatabaseSettings.h"

#include "HostSettings.h"

LocalDatabaseSettings LocalDatabaseSettings::fromHost(const HostSettings& settings)
{
    LocalDatabaseSettings local;
    local.driver = settings.localDriver();
    local.database = settings.localDatabase();
    local.dialect = settings.localDialect();
    local.host = settings.localHost();
    local.port = settings.localPort();
    local.user = settings.localUser();
    local.password = settings.localPassword();
    return local;
}
