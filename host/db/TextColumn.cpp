#include "TextColumn.h"

#include "EDatabaseError.h"

#include <QHash>
#include <QStringDecoder>
#include <string>

namespace {

// A dictionary stops at this many texts once they are more than a quarter of the lines.
constexpr qsizetype DictionaryFloor = 1024;
// Dropped texts are reclaimed when the block is this large and twice what the lines use.
constexpr std::size_t CompactFloor = 4096;

std::size_t hashOf(QStringView text)
{
    return qHash(text, QHashSeed::globalSeed());
}

template <typename T> void squeezeVector(std::vector<T>& values)
{
    if (values.capacity() > values.size() + values.size() / 8)
        values.shrink_to_fit();
}

} // namespace

void TextColumn::reserve(qsizetype rows)
{
    if (!interning_ && !spans_.empty() && rows > size())
        pool_.reserve(std::size_t(qint64(pool_.size()) * rows / size()));
    spans_.reserve(std::size_t(rows));
}

void TextColumn::squeeze()
{
    squeezeVector(spans_);
    squeezeVector(pool_);
}

QStringView TextColumn::view(qsizetype row) const
{
    return viewOf(spans_[std::size_t(row)]);
}

void TextColumn::insert(qsizetype row, QStringView text)
{
    const Span span = store(text);
    spans_.insert(spans_.begin() + row, span);
}

void TextColumn::set(qsizetype row, QStringView text)
{
    const Span span = store(text);
    Span& target = spans_[std::size_t(row)];
    dropped(target);
    target = span;
    compactIfWasteful();
}

void TextColumn::remove(qsizetype row)
{
    dropped(spans_[std::size_t(row)]);
    spans_.erase(spans_.begin() + row);
    compactIfWasteful();
}

TextColumn::Span TextColumn::store(QStringView text)
{
    liveChars_ += text.size();
    // Lines in a row often repeat the text above.
    if (!spans_.empty() && viewOf(spans_.back()) == text)
        return spans_.back();
    if (!interning_)
        return copyIn(text);
    Span* slot = slotFor(text);
    if (slot->offset != NoSpan)
        return *slot;
    const Span span = copyIn(text);
    addToDictionary(slot, span);
    return span;
}

void TextColumn::appendCopyOf(qsizetype row)
{
    const Span span = spans_[std::size_t(row)];
    spans_.push_back(span);
    liveChars_ += span.length;
}

QStringView TextColumn::decodeAtEnd(std::string_view utf8)
{
    const std::size_t start = pool_.size();
    if (start + utf8.size() >= NoSpan)
        throw EDatabaseError(QStringLiteral("Textos demais numa coluna."));
    // UTF-8 never takes fewer bytes than UTF-16 takes units.
    pool_.resize(start + utf8.size());
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    auto* const first = reinterpret_cast<QChar*>(pool_.data() + start);
    const QChar* const end =
        decoder.appendToBuffer(first, QByteArrayView(utf8.data(), qsizetype(utf8.size())));
    pool_.resize(start + std::size_t(end - first));
    return {first, end - first};
}

// The text decoded at the block's end from `start` stays there unless it is stored already.
TextColumn::Span TextColumn::keepDecoded(std::size_t start)
{
    const Span span{std::uint32_t(start), std::uint32_t(pool_.size() - start)};
    const QStringView text = viewOf(span);
    liveChars_ += text.size();
    const Span* stored = !spans_.empty() && viewOf(spans_.back()) == text ? &spans_.back() : nullptr;
    Span* slot = !stored && interning_ ? slotFor(text) : nullptr;
    if (slot && slot->offset != NoSpan)
        stored = slot;
    if (stored) {
        pool_.resize(start);
        return *stored;
    }
    if (slot)
        addToDictionary(slot, span);
    return span;
}

TextColumn::Span TextColumn::copyIn(QStringView text)
{
    const std::size_t offset = pool_.size();
    if (offset + std::size_t(text.size()) >= NoSpan)
        throw EDatabaseError(QStringLiteral("Textos demais numa coluna."));
    const auto* chars = reinterpret_cast<const char16_t*>(text.utf16());
    if (!pool_.empty() && chars >= pool_.data() && chars < pool_.data() + pool_.size()) {
        // A text from this very block would move under the copy when the block grows.
        const std::u16string copy(chars, std::size_t(text.size()));
        pool_.insert(pool_.end(), copy.begin(), copy.end());
    } else {
        pool_.insert(pool_.end(), chars, chars + text.size());
    }
    return {std::uint32_t(offset), std::uint32_t(text.size())};
}

TextColumn::Span* TextColumn::slotFor(QStringView text)
{
    if (slots_.empty())
        slots_.assign(64, Span{NoSpan, 0});
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hashOf(text) & mask;; i = (i + 1) & mask) {
        Span& slot = slots_[i];
        if (slot.offset == NoSpan || viewOf(slot) == text)
            return &slot;
    }
}

void TextColumn::addToDictionary(Span* slot, Span span)
{
    *slot = span;
    ++distinct_;
    if (distinct_ > DictionaryFloor && distinct_ * 4 > size() + 1) {
        // Mostly different texts: looking them up would cost more than it spares.
        interning_ = false;
        std::vector<Span>().swap(slots_);
        distinct_ = 0;
    } else if (std::size_t(distinct_) * 2 > slots_.size()) {
        growDictionary();
    }
}

void TextColumn::growDictionary()
{
    std::vector<Span> old(slots_.size() * 2, Span{NoSpan, 0});
    old.swap(slots_);
    for (const Span span : old) {
        if (span.offset != NoSpan)
            *slotFor(viewOf(span)) = span;
    }
}

void TextColumn::dropped(Span span)
{
    liveChars_ -= span.length;
}

void TextColumn::compactIfWasteful()
{
    if (pool_.size() < CompactFloor || qint64(pool_.size()) <= 2 * liveChars_)
        return;
    TextColumn fresh;
    fresh.spans_.reserve(spans_.size());
    for (const Span span : spans_)
        fresh.append(viewOf(span));
    *this = std::move(fresh);
}
