#include "RequestSizeGuard.h"

namespace {

// Room for the request line and headers on top of the body.
constexpr qint64 HeaderAllowance = 64 * 1024;

} // namespace

bool RequestSizeGuard::tooLarge(qint64 available, const QByteArray& head)
{
    if (seen_ == 0 && declaredLength(head) > maxBytes_)
        return true;
    seen_ += available;
    return seen_ > maxBytes_ + HeaderAllowance;
}

qint64 RequestSizeGuard::declaredLength(const QByteArray& head)
{
    const qsizetype end = head.indexOf("\r\n\r\n");
    const QByteArray headers = (end < 0 ? head : head.left(end)).toLower();
    const qsizetype at = headers.indexOf("\r\ncontent-length:");
    if (at < 0)
        return 0;
    const qsizetype from = at + qsizetype(sizeof("\r\ncontent-length:") - 1);
    const qsizetype lineEnd = headers.indexOf("\r\n", from);
    bool ok = false;
    const qint64 length = headers.mid(from, lineEnd < 0 ? -1 : lineEnd - from).trimmed().toLongLong(&ok);
    return ok ? length : 0;
}
