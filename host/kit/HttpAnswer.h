#pragma once

#include <QByteArray>
#include <QString>

// How one HTTP request ended.
struct HttpAnswer {
    enum class Outcome { Answered, TransportFailed, TimedOut };

    Outcome outcome = Outcome::Answered;
    int status = 0;    // when answered
    QByteArray body;   // when answered
    QString errorText; // when the transport failed
};
