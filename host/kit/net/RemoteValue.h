#pragma once

#include "DataPacket.h"
#include "host_kit_export.h"

#include <QByteArray>
#include <QJsonValue>
#include <QString>

// One value the application server returned, kept as its JSON text so that a data packet reaches its
// reader without being decoded and encoded again on the way.
class HOST_KIT_EXPORT RemoteValue {
public:
    RemoteValue() = default;
    // Surrounding whitespace is dropped.
    explicit RemoteValue(QByteArray rawJson);

    const QByteArray& raw() const { return raw_; }
    // No value at all, or JSON null.
    bool isNull() const;
    // A JSON string unescaped; a number or boolean as written; null as an empty string.
    // An object or array raises Exception.
    QString toString() const;
    // The object as a data packet; anything else raises Exception.
    DataPacket toPacket() const;
    // Decoded with QJson: meant for small values.
    QJsonValue toJson() const;

private:
    QByteArray raw_;
};
