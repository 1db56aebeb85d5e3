#pragma once

#include <QByteArray>
#include <QString>

// Tells whether a file may have changed since it was last asked, for the price of one read() that
// finds nothing: inotify watches the file and its folder (a file written elsewhere and renamed over it
// shows only in the folder). Any event counts, also one of another file of the folder. Where it cannot
// watch (no inotify, no such folder) every ask answers yes, as does the first.
class FileChangeWatch {
public:
    explicit FileChangeWatch(const QString& path);
    ~FileChangeWatch();
    FileChangeWatch(const FileChangeWatch&) = delete;
    FileChangeWatch& operator=(const FileChangeWatch&) = delete;

    bool mayHaveChanged();

private:
    // Takes every event queued; true when there was one.
    bool drain();

    QByteArray path_;
    int fd_ = -1;
    bool asked_ = false;
};
