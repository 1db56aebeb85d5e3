#include "HttpAnswerReader.h"

#include <algorithm>
#include <optional>
#include <simdjson.h>

namespace {

// A chunk-size or trailer line; real ones are a few bytes.
constexpr qsizetype MaxLineBytes = 1024;

bool allOf(QByteArrayView text, int (*isClass)(int))
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [isClass](char c) { return isClass(uchar(c)) != 0; });
}

bool isNamed(QByteArrayView name, QByteArrayView wanted)
{
    return name.compare(wanted, Qt::CaseInsensitive) == 0;
}

// "HTTP/1.x NNN" and, when more follows, a space before the reason.
bool isStatusLine(QByteArrayView line)
{
    return line.size() >= 12 && line.startsWith("HTTP/1.") && std::isdigit(uchar(line[7])) &&
           line[8] == ' ' && allOf(line.sliced(9, 3), std::isdigit) && (line.size() == 12 || line[12] == ' ');
}

} // namespace

HttpAnswerReader::State HttpAnswerReader::feed(QByteArrayView bytes)
{
    while (state_ == State::Reading && !bytes.isEmpty()) {
        const bool goOn = phase_ == Phase::Head ? readHead(bytes) : readBody(bytes);
        if (!goOn)
            break;
    }
    if (state_ == State::Done && !bytes.isEmpty())
        extraBytes_ = true;
    return state_;
}

HttpAnswerReader::State HttpAnswerReader::close()
{
    if (state_ != State::Reading)
        return state_;
    return stop(phase_ == Phase::UntilClose ? State::Done : State::Malformed);
}

HttpAnswerReader::State HttpAnswerReader::stop(State state)
{
    state_ = state;
    return state;
}

bool HttpAnswerReader::readHead(QByteArrayView& bytes)
{
    // A head that comes whole in one read, as most do, is read where it lies.
    if (pending_.isEmpty()) {
        const qsizetype end = bytes.first(std::min(bytes.size(), MaxHeadBytes + 1)).indexOf("\r\n\r\n");
        if (end >= 0) {
            const QByteArrayView head = bytes.first(end);
            bytes = bytes.sliced(end + 4);
            return startBody(head);
        }
    }
    const qsizetype before = pending_.size();
    const qsizetype take = std::min(bytes.size(), MaxHeadBytes + 1 - before);
    pending_.append(bytes.first(take));
    const qsizetype end = pending_.indexOf("\r\n\r\n", std::max<qsizetype>(0, before - 3));
    if (end < 0) {
        bytes = bytes.sliced(take);
        if (pending_.size() > MaxHeadBytes)
            stop(State::TooLarge);
        return false;
    }
    bytes = bytes.sliced(end + 4 - before);
    const QByteArray head = pending_.left(end);
    pending_.clear();
    return startBody(head);
}

bool HttpAnswerReader::startBody(QByteArrayView head)
{
    qsizetype lineEnd = head.indexOf("\r\n");
    const QByteArrayView statusLine = lineEnd < 0 ? head : head.first(lineEnd);
    if (!isStatusLine(statusLine))
        return stop(State::Malformed), false;
    status_ = statusLine.sliced(9, 3).toInt();
    closes_ = statusLine[7] == '0';
    std::optional<qint64> length;
    bool chunked = false;
    while (lineEnd >= 0) {
        const qsizetype start = lineEnd + 2;
        lineEnd = head.indexOf("\r\n", start);
        const QByteArrayView line = head.sliced(start, (lineEnd < 0 ? head.size() : lineEnd) - start);
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return stop(State::Malformed), false;
        const QByteArrayView name = line.first(colon);
        const QByteArrayView value = line.sliced(colon + 1).trimmed();
        if (isNamed(name, "content-length")) {
            if (!allOf(value, std::isdigit) || value.size() > 18 || (length && *length != value.toLongLong()))
                return stop(State::Malformed), false;
            length = value.toLongLong();
        } else if (isNamed(name, "transfer-encoding")) {
            // Only "identity" content was asked for; chunks are the one coding a body may come in.
            if (!isNamed(value, "chunked"))
                return stop(State::Malformed), false;
            chunked = true;
        } else if (isNamed(name, "connection")) {
            closes_ = closes_ || QByteArray(value.data(), value.size()).toLower().contains("close");
        }
    }
    // An answer framed two ways is read differently by different readers: none of ours sends one.
    if (chunked && length)
        return stop(State::Malformed), false;
    if (status_ == 101)
        return stop(State::Malformed), false;
    if (status_ < 200)
        return true;
    if (status_ == 204 || status_ == 304)
        return stop(State::Done), true;
    if (chunked) {
        phase_ = Phase::ChunkSize;
    } else if (length) {
        if (*length > maxBodyBytes_)
            return stop(State::TooLarge), false;
        body_.reserve(qsizetype(*length) + qsizetype(simdjson::SIMDJSON_PADDING));
        remaining_ = *length;
        phase_ = Phase::Length;
        if (remaining_ == 0)
            stop(State::Done);
    } else {
        phase_ = Phase::UntilClose;
        closes_ = true;
    }
    return true;
}

bool HttpAnswerReader::readBody(QByteArrayView& bytes)
{
    switch (phase_) {
    case Phase::Head:
        break;
    case Phase::Length:
    case Phase::ChunkData: {
        const qsizetype take = qsizetype(std::min<qint64>(bytes.size(), remaining_));
        if (!appendBody(bytes.first(take)))
            return false;
        bytes = bytes.sliced(take);
        remaining_ -= take;
        if (remaining_ > 0)
            return false;
        if (phase_ == Phase::Length)
            return stop(State::Done), true;
        phase_ = Phase::ChunkEnd;
        return true;
    }
    case Phase::UntilClose:
        appendBody(bytes);
        bytes = {};
        return false;
    case Phase::ChunkSize:
        return readChunkSize(bytes);
    case Phase::ChunkEnd:
    case Phase::Trailers: {
        if (!readLine(bytes, pending_))
            return false;
        const bool empty = pending_.isEmpty();
        pending_.clear();
        if (phase_ == Phase::ChunkEnd && !empty)
            return stop(State::Malformed), false;
        if (phase_ == Phase::ChunkEnd)
            phase_ = Phase::ChunkSize;
        else if (empty)
            stop(State::Done);
        return true;
    }
    }
    return false;
}

bool HttpAnswerReader::readLine(QByteArrayView& bytes, QByteArray& line)
{
    const qsizetype newline = bytes.indexOf('\n');
    line.append(newline < 0 ? bytes : bytes.first(newline));
    bytes = newline < 0 ? QByteArrayView() : bytes.sliced(newline + 1);
    if (line.size() > MaxLineBytes + 1 || (newline >= 0 && !line.endsWith('\r')))
        return stop(State::Malformed), false;
    if (newline < 0)
        return false;
    line.chop(1);
    return true;
}

bool HttpAnswerReader::readChunkSize(QByteArrayView& bytes)
{
    if (!readLine(bytes, pending_))
        return false;
    QByteArrayView size = pending_;
    if (const qsizetype extension = size.indexOf(';'); extension >= 0)
        size = size.first(extension);
    size = size.trimmed();
    if (!allOf(size, std::isxdigit) || size.size() > 15)
        return stop(State::Malformed), false;
    remaining_ = size.toLongLong(nullptr, 16);
    pending_.clear();
    if (remaining_ == 0) {
        phase_ = Phase::Trailers;
        return true;
    }
    if (qint64(body_.size()) + remaining_ > maxBodyBytes_)
        return stop(State::TooLarge), false;
    phase_ = Phase::ChunkData;
    return true;
}

bool HttpAnswerReader::appendBody(QByteArrayView bytes)
{
    if (qint64(body_.size()) + bytes.size() > maxBodyBytes_)
        return stop(State::TooLarge), false;
    body_.append(bytes);
    return true;
}
