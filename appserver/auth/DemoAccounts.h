#pragma once

class Database;

// The demonstration accounts --seed-demo adds to a database that has none, one per role and one
// restricted to branch 0002; their passwords are in the README.
namespace DemoAccounts {

void seedIfNone(Database& database);

} // namespace DemoAccounts
