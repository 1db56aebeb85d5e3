#include "JsonText.h"

#include <charconv>
#include <cstring>

namespace {

bool continuation(unsigned char c)
{
    return (c & 0xc0) == 0x80;
}

// Length of the UTF-8 sequence of a character up to U+EFFF starting at `p`, 0 for anything else.
std::size_t sequenceLength(const unsigned char* p, const unsigned char* end)
{
    const unsigned char lead = *p;
    if (lead >= 0xc2 && lead <= 0xdf)
        return end - p >= 2 && continuation(p[1]) ? 2 : 0;
    if (lead < 0xe0 || lead > 0xee || end - p < 3 || !continuation(p[1]) || !continuation(p[2]))
        return 0;
    // No overlong forms, no surrogates.
    if ((lead == 0xe0 && p[1] < 0xa0) || (lead == 0xed && p[1] > 0x9f))
        return 0;
    return 3;
}

char* escaped(unsigned char c, char* p)
{
    static constexpr char Hex[] = "0123456789abcdef";
    *p++ = '\\';
    switch (c) {
    case '"':
    case '\\':
        *p++ = char(c);
        return p;
    case '\b':
        *p++ = 'b';
        return p;
    case '\f':
        *p++ = 'f';
        return p;
    case '\n':
        *p++ = 'n';
        return p;
    case '\r':
        *p++ = 'r';
        return p;
    case '\t':
        *p++ = 't';
        return p;
    default:
        std::memcpy(p, "u00", 3);
        p[3] = Hex[c >> 4];
        p[4] = Hex[c & 0xf];
        return p + 5;
    }
}

// Grows `out` by up to `most` bytes and returns where they start; cut() trims what went unused.
char* room(QByteArray& out, qsizetype most)
{
    const qsizetype start = out.size();
    if (out.capacity() < start + most)
        out.reserve(std::max(out.capacity() * 2, start + most));
    out.resize(start + most);
    return out.data() + start;
}

void cut(QByteArray& out, const char* end)
{
    out.resize(end - out.constData());
}

} // namespace

namespace JsonText {

bool appendString(QByteArray& out, std::string_view utf8)
{
    const qsizetype start = out.size();
    // Worst case: every byte a six-byte \u00XX escape.
    char* p = room(out, 2 + 6 * qsizetype(utf8.size()));
    *p++ = '"';
    const auto* it = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* const end = it + utf8.size();
    while (it != end) {
        const unsigned char c = *it;
        if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
            *p++ = char(c);
            ++it;
        } else if (c < 0x80) {
            p = escaped(c, p);
            ++it;
        } else if (const std::size_t length = sequenceLength(it, end)) {
            std::memcpy(p, it, length);
            p += length;
            it += length;
        } else {
            out.resize(start);
            return false;
        }
    }
    *p++ = '"';
    cut(out, p);
    return true;
}

void appendDecimal(QByteArray& out, qint64 ticks)
{
    // Quotes, sign, nineteen digits and the point.
    char* const begin = room(out, 24);
    char* p = begin;
    *p++ = '"';
    quint64 magnitude = quint64(ticks);
    if (ticks < 0) {
        *p++ = '-';
        magnitude = 0 - magnitude;
    }
    p = std::to_chars(p, begin + 24, magnitude / 10000).ptr;
    if (unsigned fraction = unsigned(magnitude % 10000)) {
        int places = 4;
        for (; fraction % 10 == 0; fraction /= 10)
            --places;
        *p++ = '.';
        for (int i = places - 1; i >= 0; --i, fraction /= 10)
            p[i] = char('0' + fraction % 10);
        p += places;
    }
    *p++ = '"';
    cut(out, p);
}

bool appendDate(QByteArray& out, QDate date)
{
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    if (!date.isValid() || year < 1 || year > 9999)
        return false;
    char* p = room(out, 12);
    const auto two = [&p](int n) {
        *p++ = char('0' + n / 10);
        *p++ = char('0' + n % 10);
    };
    *p++ = '"';
    two(year / 100);
    two(year % 100);
    *p++ = '-';
    two(month);
    *p++ = '-';
    two(day);
    *p++ = '"';
    cut(out, p);
    return true;
}

} // namespace JsonText
