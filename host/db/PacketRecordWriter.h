#pragma once

#include "FieldDef.h"
#include "JsonWriter.h"
#include "Record.h"

// Writes one line of a packet: a JSON list with one value per field, each in its field's wire form.
// A value of the wrong kind, or one no packet can carry (an infinite double, a date past 9999), raises
// EDatabaseError naming the field.
void writeRecord(JsonWriter& out, const FieldDefs& fields, const Record& record);
