#pragma once

#include <QByteArray>
#include <utility>

// A record set's content, or a change set, as it travels: the JSON text of docs/protocol.md.
// Opaque to its carriers; only the packet codec reads and writes it.
class DataPacket {
public:
    DataPacket() = default;
    explicit DataPacket(QByteArray json) : json_(std::move(json)) {}

    const QByteArray& json() const { return json_; }
    bool isNull() const { return json_.isEmpty(); }

    friend bool operator==(const DataPacket&, const DataPacket&) = default;

private:
    QByteArray json_;
};
