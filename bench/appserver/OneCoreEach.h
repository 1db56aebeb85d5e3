#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <chrono>
#include <functional>

// The server on core 0 and the load generator on core 1, against the direct floor on core 0 alone,
// run side by side in alternating order: one line per clients count with the medians over the rounds
// of the server's calls per second and CPU per call as fractions of the floor's, and its latencies.
namespace OneCoreEach {

struct Settings {
    QString database; // seeded with the mix's list and the load's account
    QStringList serverArguments;
    QList<int> clients;
    int rounds = 3;
    std::chrono::milliseconds duration{2000};
    // Signs the load in on the server at `port`; returns the session it sends.
    std::function<QByteArray(quint16 port)> signIn;
};

void run(QTextStream& out, const Settings& settings);

} // namespace OneCoreEach
