#include "PositionalSql.h"

namespace {

bool startsName(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool continuesName(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

// End (exclusive) of the quoted run that starts at `from` with `quote`; a doubled quote stays inside.
qsizetype quotedEnd(const QString& sql, qsizetype from, QChar quote)
{
    qsizetype i = from + 1;
    while (i < sql.size()) {
        if (sql[i] == quote) {
            if (i + 1 < sql.size() && sql[i + 1] == quote) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return sql.size();
}

// End (exclusive) of the comment starting at `from`, or `from` when none starts there.
qsizetype commentEnd(const QString& sql, qsizetype from)
{
    const QStringView rest = QStringView(sql).mid(from);
    if (rest.startsWith(u"--")) {
        const qsizetype eol = sql.indexOf(QLatin1Char('\n'), from);
        return eol < 0 ? sql.size() : eol;
    }
    if (rest.startsWith(u"/*")) {
        const qsizetype close = sql.indexOf(QStringLiteral("*/"), from + 2);
        return close < 0 ? sql.size() : close + 2;
    }
    return from;
}

// End (exclusive) of a run copied as it is: quoted text, a comment or a `::` cast; else `from`.
qsizetype verbatimEnd(const QString& sql, qsizetype from)
{
    const QChar c = sql[from];
    if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
        return quotedEnd(sql, from, c);
    if (QStringView(sql).mid(from).startsWith(u"::"))
        return from + 2;
    return commentEnd(sql, from);
}

// End (exclusive) of the `:NAME` at `from`; `from` when there is none.
qsizetype nameEnd(const QString& sql, qsizetype from)
{
    if (sql[from] != QLatin1Char(':') || from + 1 >= sql.size() || !startsName(sql[from + 1]))
        return from;
    qsizetype end = from + 2;
    while (end < sql.size() && continuesName(sql[end]))
        ++end;
    return end;
}

} // namespace

PositionalSql PositionalSql::fromNamed(const QString& sql)
{
    PositionalSql out;
    out.text.reserve(sql.size());
    qsizetype i = 0;
    while (i < sql.size()) {
        if (const qsizetype end = verbatimEnd(sql, i); end > i) {
            out.text += QStringView(sql).mid(i, end - i);
            i = end;
        } else if (const qsizetype nameStop = nameEnd(sql, i); nameStop > i) {
            out.occurrences.append(sql.mid(i + 1, nameStop - i - 1));
            out.text += QLatin1Char('?');
            i = nameStop;
        } else {
            out.text += sql[i++];
        }
    }
    return out;
}

QStringList PositionalSql::names() const
{
    QStringList distinct;
    for (const QString& name : occurrences)
        if (!distinct.contains(name, Qt::CaseInsensitive))
            distinct.append(name);
    return distinct;
}
