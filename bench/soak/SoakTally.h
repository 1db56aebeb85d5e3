#pragma once

#include <QDate>
#include <QList>
#include <QPair>
#include <QSet>
#include <QString>

// What one soak client did and was told, for the audit against the database afterwards.
struct SoakTally {
    struct SavedLine {
        QDate date;
        qint64 staff = 0; // Currency ticks
        qint64 unitPrice = 0;
        qint64 total = 0;
    };

    int calls = 0;
    int succeeded = 0;
    int refused = 0;      // answered with an error
    int gaveUp = 0;       // no answer before the give-up time: outcome unknown
    int resent = 0;       // attempts after the first
    int savesDoubled = 0; // a resent save answered "already registered": its first send was applied

    QList<SavedLine> saved;               // acknowledged
    QSet<QDate> savesUnknown;             // given up: may or may not be there
    QList<QPair<QString, QDate>> imports; // acknowledged
    QSet<qint64> ticketsHeld;             // reservation numbers handed to this client
    QSet<qint64> ticketsReleased;         // releases acknowledged
    int ticketsUnknown = 0;               // draws given up: each may have left one reservation

    QList<qint64> successAtMs; // when each successful call's answer came, from the soak's start
};
