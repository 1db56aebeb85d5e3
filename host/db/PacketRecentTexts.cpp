#include "PacketRecentTexts.h"

#include <bit>
#include <cstring>

namespace {

// Lookups after which a column that found fewer than a quarter of its texts looks only at the line
// before: a column of codes or amounts seldom repeats one.
constexpr qsizetype TrialLookups = 256;

} // namespace

PacketRecentTexts::Key PacketRecentTexts::keyOf(std::string_view raw)
{
    Key key{raw.size(), 0};
    if (raw.size() >= sizeof key.prefix) {
        std::memcpy(&key.prefix, raw.data(), sizeof key.prefix);
    } else {
        for (std::size_t i = 0; i < raw.size(); ++i)
            key.prefix |= std::uint64_t(std::uint8_t(raw[i])) << (8 * i);
    }
    return key;
}

bool PacketRecentTexts::matches(int way, const Key& key, std::string_view raw) const
{
    return keys_[way].size == key.size && keys_[way].prefix == key.prefix && sameRest(way, raw);
}

bool PacketRecentTexts::sameRest(int way, std::string_view raw) const
{
    constexpr std::size_t Prefix = sizeof(Key::prefix);
    return raw.size() <= Prefix ||
           std::memcmp(raw_[way].data() + Prefix, raw.data() + Prefix, raw.size() - Prefix) == 0;
}

qsizetype PacketRecentTexts::find(std::string_view raw)
{
    ++lookups_;
    const Key key = keyOf(raw);
    // Most often the line before (the branch, the date).
    const int newest = (next_ + Ways - 1) % Ways;
    if (matches(newest, key, raw)) {
        ++hits_;
        return rows_[newest];
    }
    if (scanning_) {
        // Bitwise, not &&: a branch per text would be mispredicted about half the time.
        unsigned candidates = 0;
        for (int i = 0; i < Ways; ++i)
            candidates |= unsigned(((keys_[i].size ^ key.size) | (keys_[i].prefix ^ key.prefix)) == 0) << i;
        for (; candidates; candidates &= candidates - 1) {
            const int way = std::countr_zero(candidates);
            if (sameRest(way, raw)) {
                ++hits_;
                return rows_[way];
            }
        }
        if (lookups_ == TrialLookups && hits_ * 4 < lookups_)
            scanning_ = false;
    }
    return -1;
}

void PacketRecentTexts::remember(std::string_view raw, qsizetype row)
{
    keys_[next_] = keyOf(raw);
    raw_[next_] = raw;
    rows_[next_] = row;
    next_ = (next_ + 1) % Ways;
}
