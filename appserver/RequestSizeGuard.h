#pragma once

#include <QByteArray>
#include <QtGlobal>

// Counts the bytes of the request arriving on one connection and tells when it grows past the cap:
// by its declared Content-Length as soon as the headers are in, or by the bytes actually received.
class RequestSizeGuard {
public:
    explicit RequestSizeGuard(qint64 maxBytes) : maxBytes_(maxBytes) {}

    // `available` bytes wait on the socket, not yet read by the HTTP parser; `head` is their start,
    // asked for only when a new request begins.
    bool tooLarge(qint64 available, const QByteArray& head);
    bool startsRequest() const { return seen_ == 0; }
    // A response went out: the next bytes start a new request.
    void requestAnswered() { seen_ = 0; }

private:
    static qint64 declaredLength(const QByteArray& head);

    qint64 maxBytes_;
    qint64 seen_ = 0;
};
