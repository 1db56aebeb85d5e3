#pragma once

#include "Currency.h"
#include "FieldDef.h"
#include "PacketRecentTexts.h"
#include "Record.h"
#include "TDateTime.h"

#include <QString>
#include <simdjson.h>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

class RecordColumn;
class RecordTable;

// Where a line sits in a packet, for messages: line 3, or the 'original' values of change 2.
struct PacketPlace {
    qsizetype index = 0;        // 0-based
    const char* part = nullptr; // a change's "values" or "original"; none for a packet line
    QString text() const;
};

// Reads the lines of a packet against its field list: each value checked and brought to its stored
// form by the field's checks. A value that does not fit raises EDatabaseError naming the field and
// the line.
class PacketRecordReader {
public:
    explicit PacketRecordReader(const FieldDefs& fields);

    Record read(simdjson::ondemand::value line, const PacketPlace& place);
    // Appends the line to `table`, whose columns are the fields'; one reader fills one table, from
    // one packet that outlives it. After a refusal the table is left with a partial line: a reader's
    // caller drops it.
    void append(simdjson::ondemand::value line, const PacketPlace& place, RecordTable& table);

private:
    using Cell = std::variant<std::monostate, QString, TDateTime, Currency, double>;

    // Walks the line's values, calling `read(item, column)` for each; refuses a line of another length.
    template <typename Read>
    void readLine(simdjson::ondemand::value line, const PacketPlace& place, Read read);
    struct LastText;
    const Cell& fromText(std::string_view text, qsizetype column);
    void decodeText(std::string_view text, qsizetype column, LastText& last);
    Cell parsedText(std::string_view text, qsizetype column) const;
    Cell fromOtherJson(simdjson::ondemand::value item, simdjson::ondemand::json_type type,
                       qsizetype column) const;
    void appendValue(simdjson::ondemand::value& item, qsizetype column, RecordColumn& target);
    void appendText(simdjson::ondemand::value& item, std::string_view raw, qsizetype column,
                    RecordColumn& target);

    // A column often repeats the line before (the branch, the date): its stored value is shared then,
    // sparing the parsing and the check.
    struct LastText {
        std::string text;
        Cell value; // none until a text was read
    };
    const FieldDefs& fields_;
    std::vector<LastText> last_;
    // Per column, what it took last: see PacketRecentTexts.
    std::vector<PacketRecentTexts> recent_;
    // For a BCD field: a value that is a multiple of `unit` and within `limit` ticks either side
    // already fits it.
    struct BcdFit {
        std::int64_t unit = 1;
        std::int64_t limit = 0;
    };
    std::vector<BcdFit> bcdFits_;
};
