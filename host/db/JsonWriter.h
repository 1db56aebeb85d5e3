#pragma once

#include <QByteArray>
#include <QStringView>
#include <cstddef>

// Appends JSON text to a growing buffer, straight from the values: no intermediate document.
class JsonWriter {
public:
    explicit JsonWriter(qsizetype sizeHint = 0);

    void put(char c)
    {
        *room(1) = c;
        ++size_;
    }
    void raw(const char* text, std::size_t length);
    template <std::size_t N> void literal(const char (&text)[N]) { raw(text, N - 1); }
    // A JSON string: quotes, backslashes and control characters escaped, the rest as UTF-8.
    void string(QStringView text);
    // The shortest text that reads back as the same double; `value` must be finite.
    void number(double value);
    void integer(long long value);

    // The text, followed in its buffer by `padding` zero bytes outside its size, so a reader that needs
    // readable bytes past the end can parse it in place.
    QByteArray finish(qsizetype padding);

private:
    char* room(qsizetype count)
    {
        if (size_ + count > buffer_.size())
            grow(count);
        return data_ + size_;
    }
    void grow(qsizetype count);

    QByteArray buffer_;
    char* data_ = nullptr;
    qsizetype size_ = 0;
};
