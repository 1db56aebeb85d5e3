#pragma once

#include "DatabaseSpec.h"
#include "SessionLimits.h"
#include "SignInMethod.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>
#include <chrono>

// What the server was asked to do on its command line, its configuration file (--config) and its
// environment.
struct AppServerOptions {
    QHostAddress address = QHostAddress::LocalHost;
    quint16 port = 8418;
    QString database = QStringLiteral("med00418-server.db");
    QByteArray token;
    bool seedDemo = false;
    std::chrono::seconds reservationTtl = std::chrono::hours(12);
    std::chrono::seconds requestIdTtl = std::chrono::hours(24);
    SessionLimits sessions;
    SignInMethod signIn;
    // History rows older than this are purged.
    std::chrono::days historyRetention{730};
    std::chrono::seconds idleTimeout{60};
    std::chrono::seconds headTimeout{10};
    std::chrono::seconds bodyTimeout{60};
    int maxConnections = 256;
    int maxConnectionsPerAddress = 64;
    // Proxies in front (HAProxy): their connections carry many clients, so the per-address cap does
    // not apply to them, and the client's address is taken from the X-Forwarded-For they add.
    QList<QHostAddress> trustedProxies;
    qint64 maxUnsentBytes = 1024 * 1024;
    int workers = 2;
    qint64 maxRequestBytes = 8 * 1024 * 1024;
    // PEM files; both set or both empty (plain HTTP).
    QString tlsCertificate;
    QString tlsKey;
    // How long a stop waits for the calls in flight.
    std::chrono::seconds shutdownTimeout{20};
    // PostgreSQL: opening a connection, and one statement.
    std::chrono::seconds databaseConnectTimeout{5};
    std::chrono::seconds databaseStatementTimeout{30};
    // How long /health/ready waits for the database's answer before it answers 503.
    std::chrono::seconds readyTimeout{2};

    bool tls() const { return !tlsCertificate.isEmpty(); }
    // The database to open, with its timeouts.
    DatabaseSpec databaseSpec() const;
    QString logFile;        // empty: standard error
    QString logRules;       // QLoggingCategory rules, ';' between them
    bool checkOnly = false; // --check-config: the options are read, nothing is opened

    // Exits the process for --help and --version; throws Exception with a message for the operator otherwise.
    static AppServerOptions parse(const QStringList& arguments, const QByteArray& tokenFromEnvironment);
};
