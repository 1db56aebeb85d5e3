#include "JsonText.h"

namespace {

void appendControl(QByteArray& out, char16_t c)
{
    switch (c) {
    case u'\b':
        out += "\\b";
        return;
    case u'\f':
        out += "\\f";
        return;
    case u'\n':
        out += "\\n";
        return;
    case u'\r':
        out += "\\r";
        return;
    case u'\t':
        out += "\\t";
        return;
    default:
        break;
    }
    static constexpr char hex[] = "0123456789abcdef";
    out += "\\u00";
    out += hex[(c >> 4) & 0xF];
    out += hex[c & 0xF];
}

} // namespace

void appendJsonString(QByteArray& out, QStringView text)
{
    out += '"';
    qsizetype plainFrom = 0;
    const auto flushPlain = [&](qsizetype upTo) { out += text.sliced(plainFrom, upTo - plainFrom).toUtf8(); };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x20 && c != u'"' && c != u'\\')
            continue;
        flushPlain(i);
        if (c < 0x20)
            appendControl(out, c);
        else
            out += c == u'"' ? "\\\"" : "\\\\";
        plainFrom = i + 1;
    }
    flushPlain(text.size());
    out += '"';
}
