#pragma once

#include "SoakTally.h"

#include <QList>
#include <QPair>
#include <QSqlDatabase>

// Reads the group's database and holds it against what the clients were told.
class SoakAudit {
public:
    struct Findings {
        int lost = 0;    // acknowledged, then not there (or not as written)
        int doubled = 0; // applied twice: a resent save refused as already there, a second reservation
        int phantom = 0; // there although the client was told it failed
    };

    explicit SoakAudit(quint16 postgresPort);
    ~SoakAudit();
    SoakAudit(const SoakAudit&) = delete;
    SoakAudit& operator=(const SoakAudit&) = delete;

    // Every branch and day with billing, each one a possible import.
    QList<QPair<QString, QDate>> billingDays();
    Findings check(const QList<SoakTally>& tallies);

private:
    QSqlDatabase database() const;
    void checkLines(const QList<SoakTally>& tallies, Findings& findings);
    void checkImports(const QList<SoakTally>& tallies, Findings& findings);
    void checkReservations(const QList<SoakTally>& tallies, Findings& findings);
    int count(const QString& sql, const QVariantList& values);

    QString connection_;
};
