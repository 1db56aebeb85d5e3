#include "JsonWriter.h"

#include <QChar>
#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

char* escaped(char16_t c, char* p)
{
    static constexpr char Hex[] = "0123456789abcdef";
    *p++ = '\\';
    switch (c) {
    case u'"':
    case u'\\':
        *p++ = char(c);
        return p;
    case u'\b':
        *p++ = 'b';
        return p;
    case u'\f':
        *p++ = 'f';
        return p;
    case u'\n':
        *p++ = 'n';
        return p;
    case u'\r':
        *p++ = 'r';
        return p;
    case u'\t':
        *p++ = 't';
        return p;
    default:
        std::memcpy(p, "u00", 3);
        p[3] = Hex[c >> 4];
        p[4] = Hex[c & 0xf];
        return p + 5;
    }
}

char* utf8(char32_t c, char* p)
{
    if (c < 0x800) {
        *p++ = char(0xc0 | (c >> 6));
    } else if (c < 0x10000) {
        *p++ = char(0xe0 | (c >> 12));
        *p++ = char(0x80 | ((c >> 6) & 0x3f));
    } else {
        *p++ = char(0xf0 | (c >> 18));
        *p++ = char(0x80 | ((c >> 12) & 0x3f));
        *p++ = char(0x80 | ((c >> 6) & 0x3f));
    }
    *p++ = char(0x80 | (c & 0x3f));
    return p;
}

} // namespace

JsonWriter::JsonWriter(qsizetype sizeHint)
{
    buffer_.resize(std::max<qsizetype>(sizeHint, 256));
    data_ = buffer_.data();
}

void JsonWriter::grow(qsizetype count)
{
    buffer_.resize(std::max(buffer_.size() * 2, size_ + count));
    data_ = buffer_.data();
}

void JsonWriter::raw(const char* text, std::size_t length)
{
    std::memcpy(room(qsizetype(length)), text, length);
    size_ += qsizetype(length);
}

void JsonWriter::string(QStringView text)
{
    // Worst case: every unit a six-byte \u00XX escape.
    char* p = room(2 + 6 * text.size());
    *p++ = '"';
    const char16_t* it = text.utf16();
    const char16_t* const end = it + text.size();
    for (; it != end; ++it) {
        const char16_t c = *it;
        if (c >= 0x20 && c < 0x80 && c != u'"' && c != u'\\') {
            *p++ = char(c);
        } else if (c < 0x80) {
            p = escaped(c, p);
        } else if (QChar::isHighSurrogate(c) && it + 1 != end && QChar::isLowSurrogate(it[1])) {
            p = utf8(QChar::surrogateToUcs4(c, it[1]), p);
            ++it;
        } else {
            // A lone surrogate is no character: it travels as the replacement character.
            p = utf8(QChar::isSurrogate(c) ? char32_t(QChar::ReplacementCharacter) : char32_t(c), p);
        }
    }
    *p++ = '"';
    size_ = p - data_;
}

void JsonWriter::number(double value)
{
    char* p = room(32);
    size_ = std::to_chars(p, p + 32, value).ptr - data_;
}

void JsonWriter::integer(long long value)
{
    char* p = room(24);
    size_ = std::to_chars(p, p + 24, value).ptr - data_;
}

QByteArray JsonWriter::finish(qsizetype padding)
{
    const qsizetype needed = size_ + padding;
    QByteArray text;
    if (buffer_.size() - needed > size_ / 4) {
        // Much room to spare: a snug copy rather than holding on to it.
        text.reserve(needed);
        text.resize(needed);
        std::memcpy(text.data(), data_, std::size_t(size_));
    } else {
        room(padding);
        text = std::move(buffer_);
    }
    // Cutting the size back keeps the allocation, and so the zeroed bytes after the text.
    std::memset(text.data() + size_, 0, std::size_t(padding));
    text.resize(size_);
    buffer_ = QByteArray();
    data_ = nullptr;
    size_ = 0;
    return text;
}
