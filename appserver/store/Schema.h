#pragma once

class Database;

// Creates the tables or brings them up to the current version, once, whatever ran before: each step
// runs in one transaction under a lock and is recorded in SCHEMA_VERSION. A database of a newer
// version than this server knows is refused with Exception, before anything is changed.
namespace Schema {

constexpr int CurrentVersion = 6;

void migrate(Database& database);

} // namespace Schema
