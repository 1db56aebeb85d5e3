#include "HttpRequestReader.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace {

using Outcome = HttpRequestReader::Outcome;

constexpr QByteArrayView HeadEnd = "\r\n\r\n";
constexpr QByteArrayView LineEnd = "\r\n";

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t'))
        text = text.sliced(1);
    while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t'))
        text.chop(1);
    return text;
}

bool isRequestId(QByteArrayView value)
{
    constexpr qsizetype MaxLength = 64;
    if (value.isEmpty() || value.size() > MaxLength)
        return false;
    return std::all_of(value.begin(), value.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
               c == '_' || c == '.' || c == ':';
    });
}

bool sameName(QByteArrayView name, QByteArrayView lowerCase)
{
    return name.compare(lowerCase, Qt::CaseInsensitive) == 0;
}

bool containsToken(QByteArrayView value, QByteArrayView lowerCase)
{
    return QByteArray(value.data(), value.size()).toLower().contains(lowerCase);
}

// RFC 9110's token: what a method and a header name are made of. Anything else (a blank before the
// colon, a folded line) a proxy in front may read otherwise than this reader does.
bool isToken(QByteArrayView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
    });
}

// A NUL, or a CR or LF other than as a CRLF pair, from `from` on: a proxy in front may cut lines
// where this reader does not. A CR at the very end waits for the byte after it.
bool hasStrayLineBreak(QByteArrayView bytes, qsizetype from)
{
    for (qsizetype i = from; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\0' || (c == '\n' && (i == 0 || bytes[i - 1] != '\r')) ||
            (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] != '\n'))
            return true;
    }
    return false;
}

// Digits only: no sign, no blanks inside, no overflow.
bool parseLength(QByteArrayView text, qint64& length)
{
    if (text.isEmpty())
        return false;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, length);
    return error == std::errc() && at == end && text.front() != '-' && text.front() != '+';
}

} // namespace

void HttpRequestReader::feed(const QByteArray& bytes)
{
    if (buffer_.isEmpty())
        buffer_ = bytes;
    else
        buffer_.append(bytes);
}

HttpRequestReader::Outcome HttpRequestReader::next(HttpRequest& request)
{
    if (!pending_) {
        const Outcome head = readPending();
        if (head != Outcome::Request)
            return head;
    }
    Pending& pending = *pending_;
    if (buffer_.size() - pending.bodyStart < pending.length) {
        if (std::exchange(pending.given, true))
            return Outcome::NeedMore;
        request = pending.head;
        return Outcome::Head;
    }
    request = std::move(pending.head);
    request.body = buffer_.sliced(pending.bodyStart, qsizetype(pending.length));
    const qsizetype used = pending.bodyStart + qsizetype(pending.length);
    if (used == buffer_.size())
        buffer_.clear();
    else
        buffer_.remove(0, used);
    pending_.reset();
    blankBytes_ = 0;
    searched_ = 0;
    return Outcome::Request;
}

HttpRequestReader::Outcome HttpRequestReader::readPending()
{
    // Blank lines are allowed before a request line. They are dropped as they come, and count against
    // the head's allowance like any other byte: else a client could send them for ever.
    qsizetype blank = 0;
    while (buffer_.size() >= blank + 2 && buffer_[blank] == '\r' && buffer_[blank + 1] == '\n')
        blank += 2;
    if (blank > 0) {
        buffer_.remove(0, blank);
        blankBytes_ += blank;
        searched_ = 0;
    }
    const qsizetype headEnd = buffer_.indexOf(HeadEnd, std::max<qsizetype>(0, searched_ - 3));
    // Up to the head's first CRLF, each byte judged once however the head arrives.
    const QByteArrayView received(buffer_);
    if (hasStrayLineBreak(headEnd < 0 ? received : received.first(headEnd + 2),
                          std::max<qsizetype>(0, searched_ - 1)))
        return Outcome::Malformed;
    if (headEnd < 0) {
        searched_ = buffer_.size();
        return blankBytes_ + buffer_.size() > HeadAllowance ? Outcome::TooLarge : Outcome::NeedMore;
    }
    if (blankBytes_ + headEnd > HeadAllowance)
        return Outcome::TooLarge;
    Pending pending;
    const Outcome head = readHead(QByteArrayView(buffer_).first(headEnd), pending.head, pending.length);
    if (head != Outcome::Request)
        return head;
    pending.length = std::max<qint64>(pending.length, 0);
    pending.bodyStart = headEnd + HeadEnd.size();
    pending_ = std::move(pending);
    return Outcome::Request;
}

HttpRequestReader::Outcome HttpRequestReader::readHead(QByteArrayView head, HttpRequest& request,
                                                       qint64& length) const
{
    const qsizetype lineEnd = head.indexOf(LineEnd);
    const QByteArrayView requestLine = lineEnd < 0 ? head : head.first(lineEnd);
    const qsizetype space1 = requestLine.indexOf(' ');
    const qsizetype space2 = space1 < 0 ? -1 : requestLine.indexOf(' ', space1 + 1);
    if (space1 <= 0 || space2 <= space1 + 1)
        return Outcome::Malformed;
    const QByteArrayView version = requestLine.sliced(space2 + 1);
    if ((version != "HTTP/1.1" && version != "HTTP/1.0") || !isToken(requestLine.first(space1)))
        return Outcome::Malformed;
    request.method = requestLine.first(space1).toByteArray();
    QByteArrayView target = requestLine.sliced(space1 + 1, space2 - space1 - 1);
    if (const qsizetype query = target.indexOf('?'); query >= 0)
        target = target.first(query);
    request.path = target.toByteArray();
    request.keepAlive = version == "HTTP/1.1";
    HeadState state;
    for (qsizetype at = lineEnd; at >= 0;) {
        const qsizetype from = at + LineEnd.size();
        at = head.indexOf(LineEnd, from);
        const Outcome header =
            readHeader(at < 0 ? head.sliced(from) : head.sliced(from, at - from), request, state);
        if (header != Outcome::Request)
            return header;
    }
    // An HTTP/1.0 client does not wait for the go-ahead, and must not be sent one.
    request.expectsContinue = request.expectsContinue && version == "HTTP/1.1";
    length = state.length;
    return length > maxBodyBytes_ ? Outcome::TooLarge : Outcome::Request;
}

HttpRequestReader::Outcome HttpRequestReader::readHeader(QByteArrayView line, HttpRequest& request,
                                                         HeadState& state)
{
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0 || !isToken(line.first(colon)))
        return Outcome::Malformed;
    const QByteArrayView name = line.first(colon);
    const QByteArrayView value = trimmed(line.sliced(colon + 1));
    if (sameName(name, "content-length")) {
        qint64 declared = 0;
        if (!parseLength(value, declared) || (state.length >= 0 && declared != state.length))
            return Outcome::Malformed;
        state.length = declared;
    } else if (sameName(name, "transfer-encoding")) {
        return Outcome::LengthRequired;
    } else if (sameName(name, "connection")) {
        if (containsToken(value, "close"))
            request.keepAlive = false;
        else if (containsToken(value, "keep-alive"))
            request.keepAlive = true;
    } else if (sameName(name, "authorization")) {
        // Two credentials: whichever one a proxy or the server took, the other could be the one checked.
        if (std::exchange(state.authorization, true))
            return Outcome::Malformed;
        request.authorization = value.toByteArray();
    } else if (sameName(name, "idempotency-key")) {
        // Stored and compared as it comes: only a short token of plain characters is taken.
        if (std::exchange(state.idempotencyKey, true) || !isRequestId(value))
            return Outcome::Malformed;
        request.idempotencyKey = value.toByteArray();
    } else if (sameName(name, "expect")) {
        request.expectsContinue = sameName(value, "100-continue");
    } else if (sameName(name, "x-med-user")) {
        request.user = value.toByteArray();
    }
    return Outcome::Request;
}
