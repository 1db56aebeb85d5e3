#include "JsonText.h"

namespace JsonText {

namespace {

void appendEscaped(QByteArray& out, char c)
{
    static constexpr char Hex[] = "0123456789abcdef";
    switch (c) {
    case '"':
        out += "\\\"";
        return;
    case '\\':
        out += "\\\\";
        return;
    case '\n':
        out += "\\n";
        return;
    case '\r':
        out += "\\r";
        return;
    case '\t':
        out += "\\t";
        return;
    default:
        break;
    }
    if (static_cast<unsigned char>(c) < 0x20) {
        out += "\\u00";
        out += Hex[(c >> 4) & 0xf];
        out += Hex[c & 0xf];
        return;
    }
    out += c;
}

} // namespace

QByteArray quote(QStringView text)
{
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (const char c : utf8)
        appendEscaped(out, c);
    out += '"';
    return out;
}

} // namespace JsonText
