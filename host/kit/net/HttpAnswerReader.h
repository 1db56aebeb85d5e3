#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Reads one HTTP/1.1 answer from a connection's bytes as they arrive: the status line and head, then a
// body framed by Content-Length, by chunks, or by the connection's close. It holds at most
// `maxBodyBytes` of body and MaxHeadBytes of head (TooLarge past either, without waiting for the rest)
// and stops at the first byte that is no such answer (Malformed). Interim 1xx answers are skipped.
// A body announced by its length is kept with room for a JSON parser's padding after it.
class HttpAnswerReader {
public:
    enum class State { Reading, Done, TooLarge, Malformed };
    static constexpr qsizetype MaxHeadBytes = 64 * 1024;

    explicit HttpAnswerReader(qint64 maxBodyBytes) : maxBodyBytes_(maxBodyBytes) {}

    // Takes the next bytes off the connection. Bytes after a whole answer are not taken: see extraBytes.
    State feed(QByteArrayView bytes);
    // The connection closed: a body that runs to the close is whole, anything else unfinished is Malformed.
    State close();

    State state() const { return state_; }
    int status() const { return status_; }
    QByteArray takeBody() { return std::move(body_); }
    // Whether the connection may carry another request: the server did not ask to close it, the body
    // did not run to the close, and nothing followed the answer.
    bool reusable() const { return state_ == State::Done && !closes_ && !extraBytes_; }

private:
    enum class Phase { Head, Length, ChunkSize, ChunkData, ChunkEnd, Trailers, UntilClose };

    // Each takes bytes from the front of `bytes` and returns false when it needs more.
    bool readHead(QByteArrayView& bytes);
    bool startBody(QByteArrayView head);
    bool readBody(QByteArrayView& bytes);
    bool readLine(QByteArrayView& bytes, QByteArray& line);
    bool readChunkSize(QByteArrayView& bytes);
    bool appendBody(QByteArrayView bytes);
    State stop(State state);

    qint64 maxBodyBytes_;
    State state_ = State::Reading;
    Phase phase_ = Phase::Head;
    QByteArray pending_; // the head or a chunk line so far
    QByteArray body_;
    qint64 remaining_ = 0; // of the body or of the current chunk
    int status_ = 0;
    bool closes_ = false;
    bool extraBytes_ = false;
};
