#include "FileChangeWatch.h"

#include <QFile>
#include <QFileInfo>
#include <array>
#include <cerrno>
#include <sys/inotify.h>
#include <unistd.h>
#include <utility>

namespace {

// Whatever may change what a read of the file finds.
constexpr uint32_t FileEvents = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF;
constexpr uint32_t FolderEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE |
                                  IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;

} // namespace

FileChangeWatch::FileChangeWatch(const QString& path) : path_(QFile::encodeName(path))
{
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0)
        return;
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    if (inotify_add_watch(fd_, folder.constData(), FolderEvents) < 0) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    // Missing for now: the folder's watch sees it come.
    (void)inotify_add_watch(fd_, path_.constData(), FileEvents);
}

FileChangeWatch::~FileChangeWatch()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool FileChangeWatch::mayHaveChanged()
{
    if (fd_ < 0)
        return true;
    const bool first = !std::exchange(asked_, true);
    if (!drain())
        return first;
    // A file put in place by a rename is another inode: watched anew.
    (void)inotify_add_watch(fd_, path_.constData(), FileEvents);
    return true;
}

bool FileChangeWatch::drain()
{
    std::array<char, 4096> events; // filled by read()
    bool any = false;
    for (;;) {
        const ssize_t got = ::read(fd_, events.data(), events.size());
        if (got > 0) {
            any = true;
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        return any;
    }
}
