// The data-packet and change-set decoders: whatever the text, no fault, only EDatabaseError (or another
// Exception) for what they refuse; and what they take, written again and read back, is what they read.
#include "EfetGestRecordSet.h"
#include "Exception.h"
#include "FuzzCheck.h"
#include "PacketCodec.h"

#include <cstdint>

namespace {

void packetWithItsOwnFields(const DataPacket& packet)
{
    const FieldDefs fields = PacketCodec::decodeFieldDefs(packet);
    const QList<Record> rows = PacketCodec::decodePacket(packet, fields);
    const DataPacket again = PacketCodec::encodePacket(fields, rows);
    FUZZ_CHECK(PacketCodec::decodeFieldDefs(again) == fields);
    FUZZ_CHECK(PacketCodec::decodePacket(again, fields) == rows);
}

void changeSetOfTheScreen(const DataPacket& changeSet)
{
    const FieldDefs fields = EfetGestRecordSet::fieldDefs();
    const QList<Change> changes = PacketCodec::decodeChangeSet(changeSet, fields);
    FUZZ_CHECK(PacketCodec::decodeChangeSet(PacketCodec::encodeChangeSet(fields, changes), fields) ==
               changes);
}

void packetOfTheScreen(const DataPacket& packet)
{
    const FieldDefs fields = EfetGestRecordSet::fieldDefs();
    const QList<Record> rows = PacketCodec::decodePacket(packet, fields);
    FUZZ_CHECK(PacketCodec::decodePacket(PacketCodec::encodePacket(fields, rows), fields) == rows);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte picks the decoder, the rest is the text.
    if (size == 0)
        return 0;
    const DataPacket text(QByteArray(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1)));
    try {
        switch (data[0] % 3) {
        case 0:
            packetWithItsOwnFields(text);
            break;
        case 1:
            changeSetOfTheScreen(text);
            break;
        default:
            packetOfTheScreen(text);
            break;
        }
    } catch (const Exception&) {
        // Refused with a message: what a decoder should do with text it cannot take.
    }
    return 0;
}
