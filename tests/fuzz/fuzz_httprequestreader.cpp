// The HTTP request reader: whatever the bytes, no fault, memory within one request's cap, and the same
// requests (and the same refusal) however the stream is cut into reads. Each request's X-Forwarded-For
// is read as a trusted proxy's would be: no fault, and the client found is one of the addresses offered.
#include "CallerInfo.h"
#include "FuzzCheck.h"
#include "HttpRequestReader.h"

#include <QByteArray>
#include <QList>
#include <cstdint>

namespace {

using Outcome = HttpRequestReader::Outcome;

constexpr qint64 MaxBody = 4096;

struct Reading {
    QList<HttpRequest> requests;
    Outcome last = Outcome::NeedMore;
};

// Feeds `stream` in pieces whose sizes come from `cuts`, reading every request after each piece, as a
// connection does; stops at the first refusal.
Reading read(QByteArrayView stream, QByteArrayView cuts)
{
    HttpRequestReader reader(MaxBody);
    Reading out;
    qsizetype at = 0;
    for (qsizetype piece = 0; at < stream.size(); ++piece) {
        const qsizetype size =
            cuts.isEmpty() ? stream.size() : 1 + static_cast<unsigned char>(cuts[piece % cuts.size()]);
        const qsizetype taken = std::min(size, stream.size() - at);
        reader.feed(stream.sliced(at, taken).toByteArray());
        at += taken;
        HttpRequest request;
        for (;;) {
            out.last = reader.next(request);
            if (out.last == Outcome::Request)
                out.requests.append(request);
            else if (out.last != Outcome::Head)
                break;
        }
        FUZZ_CHECK(reader.buffered() <= HttpRequestReader::HeadAllowance + MaxBody + 4 + size);
        if (out.last != Outcome::NeedMore)
            break;
    }
    return out;
}

bool same(const HttpRequest& a, const HttpRequest& b)
{
    return a.method == b.method && a.path == b.path && a.authorization == b.authorization &&
           a.body == b.body && a.keepAlive == b.keepAlive && a.forwardedFor == b.forwardedFor;
}

void checkClient(const HttpRequest& request)
{
    const QHostAddress proxy(QHostAddress::LocalHost);
    const QHostAddress client = CallerInfo::clientAddress(proxy, request.forwardedFor, {proxy});
    FUZZ_CHECK(!client.isNull());
    FUZZ_CHECK(client == proxy || request.forwardedFor.contains(',') ||
               QHostAddress(QString::fromLatin1(request.forwardedFor.trimmed())) == client);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first bytes say where to cut, the rest is the stream.
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype cutBytes = input.isEmpty() ? 0 : std::min<qsizetype>(input[0] & 0x0f, input.size() - 1);
    const QByteArrayView cuts = input.sliced(1 < input.size() ? 1 : input.size(), cutBytes);
    const QByteArrayView stream = input.sliced(std::min(input.size(), 1 + cutBytes));
    const Reading whole = read(stream, {});
    const Reading pieces = read(stream, cuts.isEmpty() ? QByteArrayView("\x00", 1) : cuts);
    FUZZ_CHECK(whole.last == pieces.last);
    FUZZ_CHECK(whole.requests.size() == pieces.requests.size());
    for (qsizetype i = 0; i < whole.requests.size(); ++i) {
        FUZZ_CHECK(same(whole.requests[i], pieces.requests[i]));
        checkClient(whole.requests[i]);
    }
    return 0;
}
