#pragma once

#include "FileChangeWatch.h"

#include <QString>
#include <memory>
#include <sys/stat.h>

// What every call to the application server reads from the host's settings file: the timeout and the
// token. A rewritten file is seen by the next call, as with HostSettings, yet an unchanged one costs a
// call one read() of an inotify watch that finds nothing: the file is looked at (stat) only after an
// event and read again only when it changed (size, inode, modification or change time). Where the file
// is was found at the last reopen(): its path is the process's, set before any connection opens.
class CallSettings {
public:
    struct Values {
        int timeoutMs = 0;
        QString token;
    };

    // Finds the file again and reads it at the next current().
    void reopen();
    // As the file says now.
    const Values& current();

private:
    QString path_;
    std::unique_ptr<FileChangeWatch> watch_;
    struct stat seen_ {};
    bool read_ = false;
    Values values_;
};
