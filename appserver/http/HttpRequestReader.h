#pragma once

#include "HttpRequest.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>
#include <optional>

// Cuts the bytes of one keep-alive connection into requests. Bodies come with a Content-Length;
// chunked bodies are not taken. A request larger than the cap is refused as soon as that is known:
// from its declared length, or from a head (blank lines before it included) that does not end within
// the head allowance. Every byte received counts; nothing is buffered beyond one request's cap.
class HttpRequestReader {
public:
    // `Head`: the head of a request whose body is still coming, given once, so the caller can refuse
    // it early; `next` then goes on with NeedMore until the body is in.
    enum class Outcome { NeedMore, Head, Request, Malformed, TooLarge, LengthRequired };

    // Room for the request line and headers, on top of the body's cap.
    static constexpr qsizetype HeadAllowance = 64 * 1024;

    explicit HttpRequestReader(qint64 maxBodyBytes) : maxBodyBytes_(maxBodyBytes) {}

    void feed(const QByteArray& bytes);
    // The next whole request, when one is in; after any refusal the connection must be closed.
    Outcome next(HttpRequest& request);
    // Bytes received and not yet taken as a request: a request has begun.
    qsizetype buffered() const { return buffer_.size(); }

private:
    // A head read, waiting for its body.
    struct Pending {
        HttpRequest head;
        qsizetype bodyStart = 0;
        qint64 length = 0;
        bool given = false; // returned as Head already
    };
    struct HeadState {
        qint64 length = -1; // until a Content-Length is read
        bool authorization = false;
        bool idempotencyKey = false;
    };

    Outcome readPending();
    Outcome readHead(QByteArrayView head, HttpRequest& request, qint64& length) const;
    static Outcome readHeader(QByteArrayView line, HttpRequest& request, HeadState& state);

    qint64 maxBodyBytes_;
    QByteArray buffer_;
    // What is known of the request begun, so a head or body arriving a byte at a time is not read over
    // again on every byte: blank lines dropped before it, bytes already searched for the head's end.
    qsizetype blankBytes_ = 0;
    qsizetype searched_ = 0;
    std::optional<Pending> pending_;
};
