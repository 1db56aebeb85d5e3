#pragma once

#include "LogLine.h"

#include <QLoggingCategory>
#include <QString>
#include <string_view>

// Start, stop, housekeeping and failures; info and up by default.
Q_DECLARE_LOGGING_CATEGORY(lcServer)
// One info line per request; "med.appserver.call.info=false" turns them off.
Q_DECLARE_LOGGING_CATEGORY(lcCall)

// The server's one log. Every line is "TIME LEVEL EVENT" (UTC, milliseconds), or "<PRIORITY>EVENT"
// when standard error is the journal, and goes out in a single write(2) on standard error, so lines
// from several threads never interleave. Qt's own messages come out the same way once `open` ran, a
// message repeated within a second written once with its count.
class ServerLog {
public:
    // Puts the log file (appended to; empty: standard error as it is) in place of standard error,
    // applies `rules` (QLoggingCategory rules, ';' or newline between them; QT_LOGGING_RULES still
    // wins) and takes over Qt's messages. Throws Exception when the file cannot be opened.
    static void open(const QString& path, const QString& rules = {});
    // Opens the file at the path again and swaps it in for the old one in one step: after logrotate
    // moved the old one away, new lines go to a fresh file. False, with a warning in the old file,
    // when it cannot be opened; nothing to do without a log file.
    static bool reopen();
    // Puts `rules` in place of the rules given before (empty: none); QT_LOGGING_RULES still wins.
    static void setRules(const QString& rules);

    // Writes the counts of Qt messages repeated since they were last shown (done at stop).
    static void flushRepeats();

    // One line of `level` with `event` (already one line; past a KiB, it is cut).
    static void write(QtMsgType level, std::string_view event);
    // The same in two steps, for lines put together in place: `begin` puts the time and level in
    // `line`, `end` writes it.
    static void begin(QtMsgType level, LogLine& line);
    static void end(LogLine& line);
};
