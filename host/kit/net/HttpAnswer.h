#pragma once

#include <QByteArray>
#include <QString>

// How one HTTP request ended.
struct HttpAnswer {
    // Unreached: no connection was made (refused, no such host, no TLS handshake); nothing was sent.
    // TransportFailed: the connection broke once made; the request may have reached the server.
    // CertificateRejected: the server's certificate could not be verified; nothing was sent.
    // TooLarge: the answer said or proved itself larger than the caller takes; it was cut off.
    enum class Outcome { Answered, Unreached, TransportFailed, TimedOut, CertificateRejected, TooLarge };

    Outcome outcome = Outcome::Answered;
    int status = 0;    // when answered
    QByteArray body;   // when answered
    QString errorText; // when unreached or the transport failed
};
