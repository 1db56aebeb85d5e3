#pragma once

#include "HttpRequest.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

// Cuts the bytes of one keep-alive connection into requests. Bodies come with a Content-Length;
// chunked bodies are not taken. A request larger than the cap is refused as soon as that is known:
// from its declared length, or from a head that does not end within the head allowance.
class HttpRequestReader {
public:
    enum class Outcome { NeedMore, Request, Malformed, TooLarge, LengthRequired };

    // Room for the request line and headers, on top of the body's cap.
    static constexpr qsizetype HeadAllowance = 64 * 1024;

    explicit HttpRequestReader(qint64 maxBodyBytes) : maxBodyBytes_(maxBodyBytes) {}

    void feed(const QByteArray& bytes);
    // The next whole request, when one is in; after any refusal the connection must be closed.
    Outcome next(HttpRequest& request);

private:
    Outcome readHead(QByteArrayView head, HttpRequest& request, qint64& length) const;
    // `length` is -1 until a Content-Length is read.
    static Outcome readHeader(QByteArrayView line, HttpRequest& request, qint64& length);

    qint64 maxBodyBytes_;
    QByteArray buffer_;
};
