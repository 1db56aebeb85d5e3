#include "HttpAnswer.h"

namespace {

const char* reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 411:
        return "Length Required";
    case 413:
        return "Payload Too Large";
    case 503:
        return "Service Unavailable";
    default:
        return "Error";
    }
}

} // namespace

QByteArray HttpAnswer::wire(bool keepAlive) const
{
    QByteArray out;
    out.reserve(body.size() + 128);
    out.append("HTTP/1.1 ").append(QByteArray::number(status)).append(' ').append(reason(status));
    out.append("\r\nContent-Type: ").append(contentType);
    out.append("\r\nContent-Length: ").append(QByteArray::number(body.size()));
    out.append(keepAlive ? "\r\n\r\n" : "\r\nConnection: close\r\n\r\n");
    if (!bodyOmitted)
        out.append(body);
    return out;
}
