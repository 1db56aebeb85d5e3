#include "LogLine.h"

#include <QHostAddress>
#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
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
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%.3fms", double(nanoseconds) / 1e6);
    append(std::string_view(text, std::size_t(std::max(length, 0))));
}

void LogLine::appendNumber(qint64 value)
{
    char text[24];
    const int length = std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    append(std::string_view(text, std::size_t(std::max(length, 0))));
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
