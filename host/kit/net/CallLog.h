#pragma once

#include "host_kit_export.h"

#include <QLoggingCategory>
#include <QString>

// The log of the host's calls to the application server (category "med.host.call"): one line per
// call with its method, duration and outcome, and the network's own reasons when the link fails.
HOST_KIT_EXPORT Q_DECLARE_LOGGING_CATEGORY(lcServerCall)

    namespace CallLog
{

    // "call METHOD 12 ms: ok", or "...: failed: TEXT" with the error's text on one bounded line.
    HOST_KIT_EXPORT void record(const QString& method, qint64 elapsedMs, const QString& error = {});

} // namespace CallLog
