#include "LogLine.h"

#include <QHostAddress>
#include <algorithm>
#include <arpa/inet.h>
#include <charconv>
#include <cstring>

namespace {

char shown(char16_t c)
{
    return c > 0x20 && c < 0x7f ? char(c) : '?';
}

} // namespace

void LogLine::append(std::string_view text)
{
    const std::size_t count = std::min(text.size(), Capacity - size_);
    std::memcpy(buffer_ + size_, text.data(), count);
    size_ += count;
}

void LogLine::appendCallerText(QByteArrayView text)
{
    const qsizetype count = std::min<qsizetype>(text.size(), CallerTextLimit);
    for (qsizetype i = 0; i < count && size_ < Capacity; ++i)
        buffer_[size_++] = shown(static_cast<unsigned char>(text[i]));
}

void LogLine::appendCallerText(QStringView text)
{
    const qsizetype count = std::min<qsizetype>(text.size(), CallerTextLimit);
    for (qsizetype i = 0; i < count && size_ < Capacity; ++i)
        buffer_[size_++] = shown(text[i].unicode());
}

void LogLine::appendMilliseconds(qint64 nanoseconds)
{
    // Integers only: formatting a double cost more than the rest of the line.
    const qint64 micros = (std::max<qint64>(nanoseconds, 0) + 500) / 1000;
    appendNumber(micros / 1000);
    char fraction[] = {
        '.', char('0' + micros / 100 % 10), char('0' + micros / 10 % 10), char('0' + micros % 10), 'm', 's'};
    append(std::string_view(fraction, sizeof fraction));
}

void LogLine::appendNumber(qint64 value)
{
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    append(std::string_view(text, std::size_t(end - text)));
}

void LogLine::appendAddress(const QHostAddress& address)
{
    char text[INET6_ADDRSTRLEN] = "-";
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    if (isV4) {
        const in_addr raw{htonl(v4)};
        ::inet_ntop(AF_INET, &raw, text, sizeof text);
    } else if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        const Q_IPV6ADDR v6 = address.toIPv6Address();
        ::inet_ntop(AF_INET6, v6.c, text, sizeof text);
    }
    append(std::string_view(text));
}
