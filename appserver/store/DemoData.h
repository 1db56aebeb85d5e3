#pragma once

class Database;

// Fills an empty database with branches, services and the billing of the last days, so the screen
// has something to show on a first run. Does nothing when any branch exists.
namespace DemoData {

void seedIfEmpty(Database& database);

} // namespace DemoData
