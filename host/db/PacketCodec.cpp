#include "PacketCodec.h"

#include "JsonWriter.h"
#include "PacketFields.h"
#include "PacketJson.h"
#include "PacketRecordReader.h"
#include "PacketRecordWriter.h"

#include <algorithm>
#include <cstring>
#include <optional>

using namespace PacketJson;

namespace {

const char* kindName(ChangeKind kind)
{
    switch (kind) {
    case ChangeKind::Inserted:
        return "inserted";
    case ChangeKind::Modified:
        return "modified";
    case ChangeKind::Deleted:
        return "deleted";
    }
    return "";
}

// Opens the object with its field list and the `member` list ("rows", "changes"); finish() closes both.
JsonWriter start(const FieldDefs& fields, const char* member, qsizetype lines)
{
    JsonWriter out(256 + lines * (fields.size() * 12 + 4));
    out.literal("{\"fields\":");
    PacketFields::write(out, fields);
    out.literal(",\"");
    out.raw(member, std::strlen(member));
    out.literal("\":[");
    return out;
}

DataPacket finish(JsonWriter& out)
{
    out.literal("]}");
    // Spare room past the text lets a reader of this very buffer parse it without a copy.
    return DataPacket(out.finish(simdjson::SIMDJSON_PADDING));
}

void writeChange(JsonWriter& out, const FieldDefs& fields, const Change& change)
{
    out.literal("{\"kind\":\"");
    out.raw(kindName(change.kind), std::strlen(kindName(change.kind)));
    out.put('"');
    if (change.kind != ChangeKind::Inserted) {
        out.literal(",\"original\":");
        writeRecord(out, fields, change.original);
    }
    if (change.kind != ChangeKind::Deleted) {
        out.literal(",\"values\":");
        writeRecord(out, fields, change.values);
    }
    out.put('}');
}

// A packet does not say how many lines it holds. Past the first few thousand, the rest is estimated
// from the bytes those took, so the columns of a long list are allocated once instead of doubling
// (and copying) all the way; an estimate that was too high is given back at the end. `here` and `end`
// must point into the very text the parser reads (its padded copy when it made one), and the estimate
// never exceeds what the bytes left could hold, however the first lines were written.
constexpr qsizetype SampleLines = 2048;

qsizetype estimatedLines(const char* first, const char* here, const char* end, qsizetype fieldCount)
{
    const qint64 rest = end - here;
    const qint64 sampled = std::max<qint64>(here - first, 1);
    const qint64 lines = SampleLines + qint64(SampleLines) * rest / sampled;
    // A line is at least "[" and one byte a value, each followed by "," or "]".
    const qint64 mostLines = SampleLines + rest / (2 * qint64(fieldCount) + 1);
    return qsizetype(std::min(lines + lines / 32, mostLines));
}

RecordTable readRows(sj::value list, const FieldDefs& fields, const char* textEnd)
{
    PacketRecordReader reader(fields);
    RecordTable rows(fields);
    const char* first = nullptr;
    for (sj::value line : arrayOf(list, "rows")) {
        if (rows.rowCount() == 0)
            first = line.raw_json_token().data();
        else if (rows.rowCount() == SampleLines)
            rows.reserve(estimatedLines(first, line.raw_json_token().data(), textEnd, fields.size()));
        reader.append(line, PacketPlace{rows.rowCount()}, rows);
    }
    rows.squeeze();
    return rows;
}

ChangeKind kindFromName(const QString& name, qsizetype index)
{
    for (auto kind : {ChangeKind::Inserted, ChangeKind::Modified, ChangeKind::Deleted}) {
        if (name == QLatin1StringView(kindName(kind)))
            return kind;
    }
    invalid(QStringLiteral("a alteração %1 é de um tipo desconhecido: '%2'.")
                .arg(QString::number(index + 1), name));
}

// An insert has no earlier line, a deletion no current one.
void checkParts(ChangeKind kind, bool hasValues, bool hasOriginal, qsizetype index)
{
    if (hasValues == (kind != ChangeKind::Deleted) && hasOriginal == (kind != ChangeKind::Inserted))
        return;
    static const char* const Expected[] = {"'values' e não 'original'", "'values' e 'original'",
                                           "'original' e não 'values'"};
    invalid(QStringLiteral("a alteração %1 (%2) deve trazer %3.")
                .arg(QString::number(index + 1), QLatin1StringView(kindName(kind)),
                     QString::fromUtf8(Expected[int(kind)])));
}

Change readChange(sj::value item, qsizetype index, PacketRecordReader& reader)
{
    std::optional<ChangeKind> kind;
    std::optional<Record> values, original;
    forEachMember(objectOf(item, [index] { return QStringLiteral("a alteração %1").arg(index + 1); }),
                  [&](std::string_view key, sj::value member) {
                      if (key == "kind") {
                          checkUnique(kind, key);
                          kind = kindFromName(textOf(member, key), index);
                      } else if (key == "values") {
                          checkUnique(values, key);
                          values = reader.read(member, PacketPlace{index, "values"});
                      } else if (key == "original") {
                          checkUnique(original, key);
                          original = reader.read(member, PacketPlace{index, "original"});
                      }
                  });
    if (!kind)
        invalid(QStringLiteral("a alteração %1 não tem 'kind'.").arg(index + 1));
    checkParts(*kind, values.has_value(), original.has_value(), index);
    return Change{*kind, values.value_or(Record()), original.value_or(Record())};
}

QList<Change> readChanges(sj::value list, const FieldDefs& fields, const char*)
{
    PacketRecordReader reader(fields);
    QList<Change> changes;
    for (sj::value item : arrayOf(list, "changes"))
        changes.append(readChange(item, changes.size(), reader));
    return changes;
}

// Hands each member of the packet's root object to `visit`, with the end of the text parsed; malformed
// JSON anywhere raises.
template <typename Visit> void readPacket(const DataPacket& packet, Visit visit)
{
    try {
        Input input(packet.json());
        forEachMember(input.root(),
                      [&](std::string_view key, sj::value value) { visit(key, value, input.end()); });
        input.checkEnd();
    } catch (const simdjson::simdjson_error& e) {
        invalid(QStringLiteral("JSON malformado (%1).").arg(QString::fromUtf8(e.what())));
    }
}

// The `member` list ("rows", "changes") of a packet whose field list must match `fields`.
template <typename Content, typename ReadContent>
Content decode(const DataPacket& packet, const FieldDefs& fields, const char* member, ReadContent readContent)
{
    std::optional<FieldDefs> declared;
    std::optional<Content> content;
    readPacket(packet, [&](std::string_view key, sj::value value, const char* textEnd) {
        if (key == "fields") {
            checkUnique(declared, key);
            declared = PacketFields::read(value);
            PacketFields::checkMatches(*declared, fields);
        } else if (key == member) {
            checkUnique(content, key);
            content = readContent(value, fields, textEnd);
        }
    });
    required(declared, "fields");
    return std::move(required(content, member));
}

} // namespace

namespace PacketCodec {

DataPacket encodePacket(const FieldDefs& fields, const QList<Record>& rows)
{
    JsonWriter out = start(fields, "rows", rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (i > 0)
            out.put(',');
        writeRecord(out, fields, rows[i]);
    }
    return finish(out);
}

RecordTable decodeTable(const DataPacket& packet, const FieldDefs& fields)
{
    return decode<RecordTable>(packet, fields, "rows", readRows);
}

QList<Record> decodePacket(const DataPacket& packet, const FieldDefs& fields)
{
    return decodeTable(packet, fields).records();
}

DataPacket encodeChangeSet(const FieldDefs& fields, const QList<Change>& changes)
{
    JsonWriter out = start(fields, "changes", changes.size() * 2);
    for (qsizetype i = 0; i < changes.size(); ++i) {
        if (i > 0)
            out.put(',');
        writeChange(out, fields, changes[i]);
    }
    return finish(out);
}

QList<Change> decodeChangeSet(const DataPacket& changeSet, const FieldDefs& fields)
{
    return decode<QList<Change>>(changeSet, fields, "changes", readChanges);
}

FieldDefs decodeFieldDefs(const DataPacket& packet)
{
    std::optional<FieldDefs> declared;
    readPacket(packet, [&](std::string_view key, sj::value value, const char*) {
        if (key == "fields") {
            checkUnique(declared, key);
            declared = PacketFields::read(value);
        }
    });
    return std::move(required(declared, "fields"));
}

} // namespace PacketCodec
