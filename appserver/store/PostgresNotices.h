#pragma once

#include <QVariant>

// PostgreSQL's notices and the errors it sends between queries ("NOTICE: relation … already exists",
// "FATAL: terminating connection …") go to the server's log as its own lines, at a level that
// follows PostgreSQL's severity, instead of raw onto standard error, libpq's default.
namespace PostgresNotices {

// `handle` is the Qt driver's handle of an open connection; anything else is left alone. libpq is
// found in the process, where Qt's plug-in loaded it, so the server needs no libpq to build.
void route(const QVariant& handle);

} // namespace PostgresNotices
