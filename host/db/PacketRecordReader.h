#pragma once

#include "FieldDef.h"
#include "Record.h"

#include <QString>
#include <simdjson.h>
#include <string>
#include <vector>

// Where a line sits in a packet, for messages: line 3, or the 'original' values of change 2.
struct PacketPlace {
    qsizetype index = 0;        // 0-based
    const char* part = nullptr; // a change's "values" or "original"; none for a packet line
    QString text() const;
};

// Reads the lines of a packet against its field list: each value checked and brought to its stored
// form by FieldDef::normalize. A value that does not fit raises EDatabaseError naming the field and
// the line.
class PacketRecordReader {
public:
    explicit PacketRecordReader(const FieldDefs& fields);

    Record read(simdjson::ondemand::value line, const PacketPlace& place);

private:
    QVariant value(simdjson::ondemand::value item, qsizetype column);
    const QVariant& fromText(std::string_view text, qsizetype column);
    QVariant parsedText(std::string_view text, qsizetype column) const;
    QVariant fromOtherJson(simdjson::ondemand::value item, simdjson::ondemand::json_type type,
                           qsizetype column) const;

    // A column often repeats the line before (the branch, the date): its stored value is shared then,
    // sparing the parsing, the check and the memory.
    struct LastText {
        std::string text;
        QVariant value;
    };
    const FieldDefs& fields_;
    std::vector<LastText> last_;
};
