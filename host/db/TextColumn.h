#pragma once

#include "host_db_export.h"

#include <QString>
#include <QStringView>
#include <cstdint>
#include <string_view>
#include <vector>

// The texts of one column down the lines, in one block of UTF-16: a line holds only where its text
// starts and how long it is. While a column repeats few texts (service names, a branch), each one is
// stored once; a column of mostly different texts (codes) stops looking them up. Texts dropped by
// edits are reclaimed once they outweigh the live ones.
class HOST_DB_EXPORT TextColumn {
public:
    qsizetype size() const { return qsizetype(spans_.size()); }
    // Room for `rows` lines; a column of mostly different texts also reserves their characters at the
    // rate its lines so far took.
    void reserve(qsizetype rows);
    // Gives back room reserved beyond an eighth over what the lines hold.
    void squeeze();

    QStringView view(qsizetype row) const;
    QString value(qsizetype row) const { return view(row).toString(); }

    void append(QStringView text) { spans_.push_back(store(text)); }
    // Appends valid UTF-8, decoded straight into the block; `check(QStringView)` sees the text first
    // and may throw, which leaves the column as it was.
    template <typename Check> void appendUtf8(std::string_view utf8, Check check);
    // Appends the text of an earlier line again, sharing its storage.
    void appendCopyOf(qsizetype row);
    void insert(qsizetype row, QStringView text);
    void set(qsizetype row, QStringView text);
    void remove(qsizetype row);

private:
    struct Span {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };
    static constexpr std::uint32_t NoSpan = UINT32_MAX;

    Span store(QStringView text);
    QStringView decodeAtEnd(std::string_view utf8);
    Span keepDecoded(std::size_t start);
    Span copyIn(QStringView text);
    QStringView viewOf(Span span) const { return {pool_.data() + span.offset, qsizetype(span.length)}; }
    Span* slotFor(QStringView text);
    void addToDictionary(Span* slot, Span span);
    void growDictionary();
    void dropped(Span span);
    void compactIfWasteful();

    std::vector<char16_t> pool_;
    std::vector<Span> spans_;
    // Open addressing over the stored texts; `NoSpan` offsets mark free slots.
    std::vector<Span> slots_;
    qsizetype distinct_ = 0;
    bool interning_ = true;
    // Characters the lines refer to, a shared text counted once per line.
    qint64 liveChars_ = 0;
};

template <typename Check> void TextColumn::appendUtf8(std::string_view utf8, Check check)
{
    const std::size_t start = pool_.size();
    try {
        check(decodeAtEnd(utf8));
    } catch (...) {
        pool_.resize(start);
        throw;
    }
    spans_.push_back(keepDecoded(start));
}
