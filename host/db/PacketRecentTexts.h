#pragma once

#include <QtGlobal>
#include <array>
#include <cstdint>
#include <string_view>

// The last few texts a column took from a packet, as they stand there (escapes and all), each with the
// line that holds its value. Columns repeat a few texts (the branch, the date, service names), whose
// value is then copied from that line instead of read again; a column that seldom repeats one is soon
// only compared with the line before. The texts are views into the packet: it must outlive this.
class PacketRecentTexts {
public:
    // The line holding the value of `raw`, -1 when it is not among the last texts.
    qsizetype find(std::string_view raw);
    void remember(std::string_view raw, qsizetype row);

private:
    static constexpr int Ways = 8;
    // Length and first eight bytes: told apart without a call or a branch per text.
    struct Key {
        std::size_t size = SIZE_MAX;
        std::uint64_t prefix = 0;
    };
    static Key keyOf(std::string_view raw);
    bool matches(int way, const Key& key, std::string_view raw) const;
    // Past the prefix, for texts of the same key.
    bool sameRest(int way, std::string_view raw) const;

    std::array<Key, Ways> keys_{};
    std::array<std::string_view, Ways> raw_{};
    std::array<qsizetype, Ways> rows_{};
    int next_ = 0;
    bool scanning_ = true;
    qsizetype lookups_ = 0;
    qsizetype hits_ = 0;
};
