#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

// The canonical text of a four-decimal value ("-1234.5678"), shared by Currency and the packet codec
// so packets are read and written without going through QString.
namespace DecimalText {

enum class Status { Ok, Invalid, OutOfRange };

// Sign, fifteen integer digits, the point and four decimals.
inline constexpr std::size_t MaxLength = 21;

// Writes the shortest canonical text of `ticks` ten-thousandths into `out`; returns its length.
std::size_t write(std::int64_t ticks, char* out);

// The message for a text that did not parse.
QString errorMessage(Status status, QStringView text);

// Optional sign, digits, optional '.' and digits. Fraction digits past the fourth round half to even.
using UInt128 = unsigned __int128;

// The common case: a sign, at most fourteen integer digits and four decimals sum in 64 bits, with
// nothing to round. False for anything else, which parse() then reads digit by digit.
template <typename Char> bool parseShort(const Char* it, const Char* end, std::int64_t& ticks)
{
    constexpr std::uint64_t Places[] = {1000, 100, 10, 1};
    const auto digit = [](Char c) { return unsigned(c) - unsigned('0'); };
    const bool negative = it != end && *it == Char('-');
    it += negative ? 1 : 0;
    const Char* const integerStart = it;
    std::uint64_t magnitude = 0;
    for (; it != end && digit(*it) < 10 && it - integerStart < 14; ++it)
        magnitude = magnitude * 10 + digit(*it);
    if (it == integerStart)
        return false;
    magnitude *= 10000;
    if (it != end) {
        if (*it != Char('.'))
            return false;
        const Char* const fractionStart = ++it;
        for (; it != end && digit(*it) < 10 && it - fractionStart < 4; ++it)
            magnitude += digit(*it) * Places[it - fractionStart];
        if (it == fractionStart || it != end)
            return false;
    }
    ticks = negative ? -std::int64_t(magnitude) : std::int64_t(magnitude);
    return true;
}

template <typename Char> Status parse(const Char* it, const Char* end, std::int64_t& ticks)
{
    if (parseShort(it, end, ticks))
        return Status::Ok;
    constexpr UInt128 Cap = UInt128(1) << 64; // already out of range, stop growing
    const auto isDigit = [](Char c) { return c >= Char('0') && c <= Char('9'); };

    const bool negative = it != end && *it == Char('-');
    if (it != end && (*it == Char('-') || *it == Char('+')))
        ++it;
    const Char* const integerStart = it;
    UInt128 magnitude = 0;
    for (; it != end && isDigit(*it); ++it) {
        if (magnitude < Cap)
            magnitude = magnitude * 10 + unsigned(*it - Char('0'));
    }
    if (it == integerStart)
        return Status::Invalid;
    magnitude *= 10000;

    if (it != end && *it == Char('.')) {
        const Char* const fractionStart = ++it;
        unsigned place = 1000;
        int roundingDigit = 0;
        bool beyondHalf = false;
        for (; it != end && isDigit(*it); ++it) {
            const unsigned digit = unsigned(*it - Char('0'));
            const auto position = it - fractionStart;
            if (position < 4) {
                magnitude += digit * place;
                place /= 10;
            } else if (position == 4) {
                roundingDigit = int(digit);
            } else if (digit != 0) {
                beyondHalf = true;
            }
        }
        if (it == fractionStart)
            return Status::Invalid;
        if (roundingDigit > 5 || (roundingDigit == 5 && (beyondHalf || (magnitude & 1))))
            ++magnitude;
    }
    if (it != end)
        return Status::Invalid;

    const UInt128 limit = negative ? UInt128(1) << 63 : (UInt128(1) << 63) - 1;
    if (magnitude > limit)
        return Status::OutOfRange;
    const auto bits = static_cast<std::uint64_t>(magnitude);
    ticks = static_cast<std::int64_t>(negative ? 0 - bits : bits);
    return Status::Ok;
}

} // namespace DecimalText
