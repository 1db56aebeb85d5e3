#pragma once

#include "Change.h"
#include "DataPacket.h"
#include "FieldDef.h"
#include "Record.h"
#include "RecordTable.h"
#include "host_db_export.h"

#include <QList>

// Reads and writes data packets and change sets (docs/protocol.md). Decoding checks everything before
// it returns: a malformed packet, a field list that does not match `fields`, or a value that does not
// fit its field raises EDatabaseError with a message naming the field, and nothing is returned.
namespace PacketCodec {

HOST_DB_EXPORT DataPacket encodePacket(const FieldDefs& fields, const QList<Record>& rows);
HOST_DB_EXPORT RecordTable decodeTable(const DataPacket& packet, const FieldDefs& fields);
HOST_DB_EXPORT QList<Record> decodePacket(const DataPacket& packet, const FieldDefs& fields);

HOST_DB_EXPORT DataPacket encodeChangeSet(const FieldDefs& fields, const QList<Change>& changes);
HOST_DB_EXPORT QList<Change> decodeChangeSet(const DataPacket& changeSet, const FieldDefs& fields);

// The field list a packet declares, for readers that do not know it in advance.
HOST_DB_EXPORT FieldDefs decodeFieldDefs(const DataPacket& packet);

} // namespace PacketCodec
