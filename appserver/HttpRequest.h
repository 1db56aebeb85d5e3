#pragma once

#include <QByteArray>

// One request as the server reads it: the request line, the few headers it acts on, and the body.
struct HttpRequest {
    QByteArray method;
    QByteArray path; // without the query
    QByteArray authorization;
    QByteArray body;
    bool keepAlive = true;
};
