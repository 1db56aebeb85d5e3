#pragma once

#include "FieldDef.h"
#include "JsonWriter.h"

#include <simdjson.h>

// The field list at the head of every packet: written, read, and compared with a record set's.
namespace PacketFields {

// Writes the list's JSON text, `[{"name":...,"type":...}, ...]`.
void write(JsonWriter& out, const FieldDefs& fields);

// Reads a declared list; a malformed one raises EDatabaseError "Pacote de dados inválido: ...".
FieldDefs read(simdjson::ondemand::value list);

// Raises EDatabaseError naming the first field where `declared` and `expected` differ in name, position,
// type, size, precision or scale.
void checkMatches(const FieldDefs& declared, const FieldDefs& expected);

} // namespace PacketFields
