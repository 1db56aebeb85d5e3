#pragma once

#include "Change.h"
#include "ReservationTicket.h"
#include "RpcRequest.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The positional arguments of one call, read by kind. Anything of the wrong count, kind or size raises
// RpcError InvalidParams naming the argument.
class RpcArguments {
public:
    RpcArguments(const QList<RpcParam>& params, int expectedCount);
    // For a method whose last arguments may be left out.
    RpcArguments(const QList<RpcParam>& params, int minCount, int maxCount);

    qsizetype size() const { return params_.size(); }

    // A code of `minLength` to `maxLength` characters.
    QString code(int index, const char* name, int minLength, int maxLength) const;
    // A list of 1 to `maxCount` codes of 1 to `maxLength` characters each, written as one text with the
    // codes separated by commas. The text's size is checked before it is split.
    QStringList codes(int index, const char* name, int maxCount, int maxLength) const;
    // A date "YYYY-MM-DD", or with a time of day that is midnight.
    QDate date(int index, const char* name) const;
    // A reservation ticket as the server handed it out; nothing for an empty text (none held yet).
    std::optional<ReservationTicket> reservation(int index, const char* name) const;
    // Where a page of a line's history starts, as an earlier page gave it; nothing for an empty text
    // (the newest page).
    std::optional<qint64> historyCursor(int index, const char* name) const;
    // A change set of cdsEfetGest, decoded and with every key present.
    QList<Change> efetGestChangeSet(int index, const char* name) const;

private:
    const RpcParam& ofKind(int index, RpcParam::Kind kind, const char* name) const;

    const QList<RpcParam>& params_;
};
