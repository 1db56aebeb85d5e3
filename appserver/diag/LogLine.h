#pragma once

#include <QByteArrayView>
#include <QStringView>
#include <cstddef>
#include <string_view>

class QHostAddress;

// One log line put together on the stack, so the per-call path allocates nothing. Text that does not
// fit is cut; the line break always fits. A caller's text goes in through appendCallerText, which cuts it
// short and shows control characters, spaces and non-ASCII as '?': a request can neither break a line nor
// forge its fields.
class LogLine {
public:
    static constexpr std::size_t Capacity = 1024; // without the line break
    static constexpr qsizetype CallerTextLimit = 120;

    void append(std::string_view text);
    void append(char c) { append(std::string_view(&c, 1)); }
    void appendCallerText(QByteArrayView text);
    void appendCallerText(QStringView text);
    void appendMilliseconds(qint64 nanoseconds);
    void appendNumber(qint64 value);
    // The numeric address, IPv4-mapped IPv6 shown as IPv4; "-" for none.
    void appendAddress(const QHostAddress& address);

    // The text so far with a line break after it.
    std::string_view terminated()
    {
        buffer_[size_] = '\n';
        return {buffer_, size_ + 1};
    }

private:
    char buffer_[Capacity + 1];
    std::size_t size_ = 0;
};
