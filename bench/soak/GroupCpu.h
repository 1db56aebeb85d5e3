#pragma once

#include <QString>

// CPU time (microseconds) used so far by the group's recorded processes: the servers, and PostgreSQL
// with its backends (live ones, plus those it has reaped).
namespace GroupCpu {

qint64 ofServers(const QString& home, int servers);
qint64 ofPostgres(const QString& home);

} // namespace GroupCpu
