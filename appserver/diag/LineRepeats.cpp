#include "LineRepeats.h"

#include <algorithm>

LineRepeats::Line LineRepeats::counted(const Seen& seen)
{
    return {seen.level, seen.text + " (repeated " + QByteArray::number(seen.held) + " times)"};
}

QList<LineRepeats::Line> LineRepeats::admit(QtMsgType level, const QByteArray& text)
{
    const auto now = std::chrono::steady_clock::now();
    const std::lock_guard lock(mutex_);
    QList<Line> lines = overdue(now);
    const auto found = std::find_if(seen_.begin(), seen_.end(), [&](const Seen& seen) {
        return seen.level == level && seen.text == text;
    });
    if (found == seen_.end()) {
        if (seen_.size() == Remembered)
            seen_.removeFirst();
        seen_.append({level, text, now, 0});
        lines.append({level, text});
        return lines;
    }
    ++found->held;
    if (now - found->shown < std::chrono::seconds(1))
        return lines;
    lines.append(found->held > 1 ? counted(*found) : Line{level, text});
    found->held = 0;
    found->shown = now;
    return lines;
}

QList<LineRepeats::Line> LineRepeats::overdue(std::chrono::steady_clock::time_point now)
{
    QList<Line> lines;
    for (Seen& seen : seen_) {
        if (seen.held > 0 && now - seen.shown >= std::chrono::seconds(1)) {
            lines.append(counted(seen));
            seen.held = 0;
            seen.shown = now;
        }
    }
    return lines;
}

QList<LineRepeats::Line> LineRepeats::flush()
{
    const std::lock_guard lock(mutex_);
    QList<Line> lines;
    for (Seen& seen : seen_) {
        if (seen.held > 0)
            lines.append(counted(seen));
        seen.held = 0;
    }
    return lines;
}
