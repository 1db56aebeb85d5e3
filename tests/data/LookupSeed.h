#pragma once

#include <QStringList>

// The local tables every lookup test runs on, in SQL that SQLite, PostgreSQL and Firebird all take.
// Codes with and without leading zeros sit side by side, so that a numeric comparison would show.
namespace LookupSeed {

QStringList tables();
QStringList rows();

} // namespace LookupSeed
