#pragma once

#include "host_kit_export.h"

#include <QFile>
#include <QMutex>
#include <QString>
#include <QtGlobal>

// While it lives, the host's own log lines (categories "med.*") are also appended to a file, each
// with its ISO-8601 time; every message still goes on to the handler that was there before (stderr).
// A file past a few megabytes is moved to PATH.1 and started anew. One at a time.
class HOST_KIT_EXPORT HostLog {
public:
    explicit HostLog(const QString& path = defaultPath());
    ~HostLog();
    HostLog(const HostLog&) = delete;
    HostLog& operator=(const HostLog&) = delete;

    // host.log in the user's data folder for this application.
    static QString defaultPath();
    // False when the file could not be opened: the lines then reach stderr only.
    bool isOpen() const { return file_.isOpen(); }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message);
    void write(QtMsgType type, const char* category, const QString& message);
    void open();

    const QString path_;
    QFile file_;
    QMutex mutex_;
    QtMessageHandler previous_ = nullptr;
};
