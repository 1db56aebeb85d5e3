#pragma once

#include "DataPacket.h"
#include "Record.h"

#include <QStringList>

// The lines the screen loads for one branch and billing date, shared by the benchmarks: every line a
// different service code, the service names repeating.
namespace EfetGestLines {

const QStringList& serviceNames();
QList<Record> lines(int count);
// Encoded once per count and kept for the whole run.
const DataPacket& packet(int count);
// The UTF-16 size of a line's values: texts at two bytes a character, every other value eight bytes.
double valueBytesPerLine(int count);

} // namespace EfetGestLines
