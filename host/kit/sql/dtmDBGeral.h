#pragma once

#include "DatabaseDialect.h"
#include "LocalDatabaseSettings.h"
#include "host_kit_export.h"

#include <QSqlDatabase>
#include <QString>

// The shared database module: the one connection to the local database that the lookup queries run
// on, and the SQL dialect of their texts. One per process, reached through dtmDBGeral().
//
// Its three parts are one Qt connection here: adcGeral is the connection itself, dtbGeral the database
// it is open on, and ibtGeral its transaction: lookups only read, each in the driver's own
// per-statement transaction, so no transaction is ever left open between uses.
class HOST_KIT_EXPORT TdtmDBGeral {
public:
    static inline const QString ConnectionName = QStringLiteral("adcGeral");

    // Opens the module on `settings`, closing the one open before. EDatabaseError, with the driver's
    // text, when the database cannot be opened; the previous module is closed all the same.
    static TdtmDBGeral& open(const LocalDatabaseSettings& settings);
    // Closes the module; the next dtmDBGeral() opens it again from the host's settings.
    static void reset();
    // The open module, or nullptr.
    static TdtmDBGeral* current();

    ~TdtmDBGeral();
    TdtmDBGeral(const TdtmDBGeral&) = delete;
    TdtmDBGeral& operator=(const TdtmDBGeral&) = delete;

    QSqlDatabase adcGeral() const;
    QSqlDatabase dtbGeral() const { return adcGeral(); }
    QSqlDatabase ibtGeral() const { return adcGeral(); }

    DatabaseDialect dialect() const { return dialect_; }
    const LocalDatabaseSettings& settings() const { return settings_; }

private:
    explicit TdtmDBGeral(const LocalDatabaseSettings& settings);

    LocalDatabaseSettings settings_;
    DatabaseDialect dialect_;
};

// The shared module, opened from the host's settings on first use.
HOST_KIT_EXPORT TdtmDBGeral& dtmDBGeral();
