#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>
#include <chrono>
#include <mutex>

// Collapses a message that repeats: the first time in a second it is written, then only counted; the
// next time it comes after that second, at the next message after that second, or at `flush`, it is
// written once more with the count. A
// database going away makes every worker say the same thing hundreds of times a second.
class LineRepeats {
public:
    struct Line {
        QtMsgType level;
        QByteArray text;
    };

    // What to write now for `text`: nothing, or the line itself, with " (repeated N times)" when
    // repeats were held back.
    QList<Line> admit(QtMsgType level, const QByteArray& text);
    // The counts still held back, as lines.
    QList<Line> flush();

private:
    struct Seen {
        QtMsgType level;
        QByteArray text;
        std::chrono::steady_clock::time_point shown;
        qint64 held = 0;
    };
    static constexpr qsizetype Remembered = 32;

    static Line counted(const Seen& seen);
    // Counts held back for over a second, as lines: a repeat that stopped is still reported.
    QList<Line> overdue(std::chrono::steady_clock::time_point now);

    std::mutex mutex_;
    QList<Seen> seen_; // most recent last
};
