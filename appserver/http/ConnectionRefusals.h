#pragma once

#include "Metrics.h"

#include <QHostAddress>
#include <QStringView>
#include <QtGlobal>
#include <array>
#include <mutex>

// Connections the server ends before serving them: each counted in /metrics by reason, and logged at
// most once a second per reason with how many came since the last line, so a flood of them cannot
// flood the log. Shared by every worker thread.
class ConnectionRefusals {
public:
    using Reason = Metrics::Refusal;

    static ConnectionRefusals& process();

    // `detail` (one line) is added to the log line when it is written.
    void record(Reason reason, const QHostAddress& peer, QStringView detail = {});
    // Writes the lines held back for a second once their second has passed; called now and then.
    void flush();

private:
    struct Pending {
        qint64 count = 0;
        qint64 lastLineMs = -1;
        QHostAddress lastPeer;
        QString lastDetail;
    };

    void writeLine(Reason reason, Pending& pending, qint64 nowMs);

    std::mutex mutex_;
    std::array<Pending, Metrics::RefusalReasons.size()> pending_;
};
