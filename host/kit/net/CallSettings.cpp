#include "CallSettings.h"

#include "HostSettings.h"

#include <QFile>

namespace {

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_ino == b.st_ino && a.st_dev == b.st_dev && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

} // namespace

void CallSettings::reopen()
{
    path_ = HostSettings::filePath();
    watch_ = std::make_unique<FileChangeWatch>(path_);
    read_ = false;
}

const CallSettings::Values& CallSettings::current()
{
    if (!watch_)
        reopen();
    if (!watch_->mayHaveChanged() && read_)
        return values_;
    struct stat now {};
    // A missing file reads as all zeros: the defaults, until it appears.
    if (::stat(QFile::encodeName(path_).constData(), &now) != 0)
        now = {};
    if (read_ && sameFile(now, seen_))
        return values_;
    const HostSettings settings;
    values_ = {settings.timeoutMs(), settings.token()};
    seen_ = now;
    read_ = true;
    return values_;
}
