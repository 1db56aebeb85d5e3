#pragma once

#include <QByteArray>

// What the server sends back for one request; `wire` frames it as an HTTP/1.1 response.
struct HttpAnswer {
    int status = 200;
    QByteArray contentType = "text/plain";
    QByteArray body;
    // The answer to a HEAD: its headers say what a GET would have got, and no body follows.
    bool bodyOmitted = false;

    // Status line, headers and body in one buffer, so the answer leaves in one write.
    QByteArray wire(bool keepAlive) const;
};
