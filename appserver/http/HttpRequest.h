#pragma once

#include <QByteArray>

// One request as the server reads it: the request line, the few headers it acts on, and the body.
struct HttpRequest {
    QByteArray method;
    QByteArray path; // without the query
    QByteArray authorization;
    QByteArray idempotencyKey; // the client's request id, 1 to 64 of [A-Za-z0-9._:-]; empty when none
    QByteArray user;           // X-Med-User as sent (bounded by the head's size); empty when none
    QByteArray body;
    bool keepAlive = true;
    // An HTTP/1.1 client waiting for a go-ahead before it sends the body (Expect: 100-continue).
    bool expectsContinue = false;
};
