#pragma once

#include "DataPacket.h"
#include "Record.h"

#include <QStringList>

class QSqlDatabase;

// The lines the screen loads for one branch and billing date, shared by the benchmarks: every line a
// different service code, the service names repeating.
namespace EfetGestLines {

const QStringList& serviceNames();
QList<Record> lines(int count);
// Encoded once per count and kept for the whole run.
const DataPacket& packet(int count);
// The UTF-16 size of a line's values: texts at two bytes a character, every other value eight bytes.
double valueBytesPerLine(int count);
// Creates USR_EFETGEST in `db` and fills it with `count` lines, for the stock Qt model to read.
void fillTable(QSqlDatabase& db, int count);

} // namespace EfetGestLines
