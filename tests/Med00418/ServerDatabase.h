#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

// Direct SQL on the application server's SQLite file, beside the running server: to arrange lines
// before the screen loads them and to check what the screen saved. Decimals are stored as integers
// scaled by 10000 there, dates as ISO text.
class ServerDatabase {
public:
    explicit ServerDatabase(const QString& path);
    ~ServerDatabase();
    ServerDatabase(const ServerDatabase&) = delete;
    ServerDatabase& operator=(const ServerDatabase&) = delete;

    // Runs a statement; raises std::runtime_error with the driver's text when it fails.
    void exec(const QString& sql, const QVariantList& values = {});
    // The first column of the first row, or a null value.
    QVariant value(const QString& sql, const QVariantList& values = {});
    // All rows, each column joined by '|'.
    QStringList rows(const QString& sql, const QVariantList& values = {});

    // One measurement line; values are given as decimal texts ("2.5"), an empty text is NULL.
    void insertLine(const QString& branch, QDate date, const QString& service, const QString& staff,
                    const QString& price, const QString& total);
    // "service|staff|price|total" per line of the branch and date, ordered by service, decimals as
    // plain texts with four decimals ("2.5000").
    QStringList lines(const QString& branch, QDate date);
    // Reservations stored under a ticket ("NUMBER-SECRET") as the server hands it out: 0 or 1.
    int reservations(const QString& ticket);

    static QVariant scaled(const QString& decimal);

private:
    QString connection_;
};
