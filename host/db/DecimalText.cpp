#include "DecimalText.h"

#include <charconv>
#include <cstring>

namespace DecimalText {

std::size_t write(std::int64_t ticks, char* out)
{
    char* p = out;
    std::uint64_t magnitude = static_cast<std::uint64_t>(ticks);
    if (ticks < 0) {
        *p++ = '-';
        magnitude = 0 - magnitude;
    }
    p = std::to_chars(p, out + MaxLength, magnitude / 10000).ptr;
    auto fraction = unsigned(magnitude % 10000);
    if (fraction == 0)
        return std::size_t(p - out);

    char digits[4];
    for (int i = 3; i >= 0; --i, fraction /= 10)
        digits[i] = char('0' + fraction % 10);
    std::size_t count = 4;
    while (digits[count - 1] == '0')
        --count;
    *p++ = '.';
    std::memcpy(p, digits, count);
    return std::size_t(p - out) + count;
}

QString errorMessage(Status status, QStringView text)
{
    if (status == Status::OutOfRange)
        return QStringLiteral("'%1' está fora do intervalo dos valores decimais.").arg(text);
    return QStringLiteral("'%1' não é um valor decimal válido.").arg(text);
}

} // namespace DecimalText
