#pragma once

#include <QDate>
#include <QString>
#include <functional>

// The screen's calls in the order a user makes them: open the list, check a service, save a new line,
// delete it again. Each step is one call; `client` keeps clients on keys of their own.
struct CallMix {
    static constexpr int Steps = 4;
    static constexpr int ListLines = 50;
    static constexpr int MaxClients = 256;
    // The client number of the direct floor, which no server load uses.
    static constexpr int DirectClient = MaxClients;

    QString branch = QStringLiteral("0001");
    QDate date = QDate(2030, 6, 1);

    QString scratchService(int client) const
    {
        return QStringLiteral("Z%1").arg(client, 4, 10, QLatin1Char('0'));
    }
};
