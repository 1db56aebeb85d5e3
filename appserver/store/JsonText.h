#pragma once

#include <QByteArray>
#include <QDate>
#include <string_view>

// Appends packet values to JSON text straight from what SQLite stores, byte for byte as the packet
// codec writes the same values after reading them into variants.
namespace JsonText {

// A quoted JSON string from UTF-8 text. Returns false, having appended nothing, for bytes this fast
// path leaves to the codec: invalid UTF-8, characters past U+EFFF (the byte-order mark, noncharacters,
// those outside the BMP), whose conversion through UTF-16 it does not repeat.
bool appendString(QByteArray& out, std::string_view utf8);
// A decimal of four places, held as ten-thousandths: quoted, shortest canonical text ("-12.5").
void appendDecimal(QByteArray& out, qint64 ticks);
// A quoted yyyy-MM-dd; false, having appended nothing, outside the years 1 to 9999.
bool appendDate(QByteArray& out, QDate date);

} // namespace JsonText
