#pragma once

#include <QString>
#include <sys/stat.h>

// What every call to the application server reads from the host's settings file: the timeout and the
// token. The file is read again only when it changed (another path, size, inode, modification or
// change time), so an unchanged file costs a call one stat instead of a parse; a rewritten file is
// seen by the next call, as with HostSettings.
class CallSettings {
public:
    struct Values {
        int timeoutMs = 0;
        QString token;
    };

    // As the file says now.
    const Values& current();

private:
    QString path_;
    struct stat seen_ {};
    bool read_ = false;
    Values values_;
};
