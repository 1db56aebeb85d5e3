#pragma once

#include "Change.h"
#include "Currency.h"
#include "RpcClient.h"

#include <QDate>
#include <QList>
#include <QString>

// Building and reading cdsEfetGest lines the way the screen sends and receives them.
namespace EfetGestLines {

// A line as stored; empty decimal texts are null.
Record line(const QString& branch, QDate date, const QString& service, const QString& staff,
            const QString& unitPrice, const QString& total);

Change inserted(const Record& line);
Change modified(const Record& original, const Record& now);
Change deleted(const Record& original);

// The change set as JSON text, ready to pass to setEfetGest.
QByteArray changeSet(const QList<Change>& changes);
RpcClient::Reply save(RpcClient& client, const QList<Change>& changes);

// getEfetGest decoded; throws when the call fails.
QList<Record> read(RpcClient& client, const QString& branch, QDate date);
// The lines of a cdsEfetGest packet given as JSON text.
QList<Record> decode(const QByteArray& packetJson);

QString service(const Record& line);
Currency staff(const Record& line);
Currency unitPrice(const Record& line);
Currency total(const Record& line);
QString serviceName(const Record& line);

// A date no other test uses, so tests sharing one database never see each other's lines.
QDate freshDate();

} // namespace EfetGestLines
