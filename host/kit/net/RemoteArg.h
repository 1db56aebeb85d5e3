#pragma once

#include "DataPacket.h"
#include "TDateTime.h"
#include "host_kit_export.h"

#include <QString>
#include <utility>
#include <variant>

// One positional argument of a late-bound call, with the kind that decides how it travels.
class HOST_KIT_EXPORT RemoteArg {
public:
    enum class Kind { String, Date, Variant, StringRef };

    static RemoteArg string(QString value);
    static RemoteArg date(TDateTime value);
    // A data packet or change set; its JSON text goes out as it is.
    static RemoteArg variant(DataPacket value);
    // Sends *variable and, once the call succeeds, stores the server's new value in it.
    static RemoteArg stringRef(QString* variable);

    Kind kind() const { return Kind(value_.index()); }
    bool isByReference() const { return kind() == Kind::StringRef; }
    // The variable of a by-reference argument, else null.
    QString* reference() const;
    // Appends the argument as a JSON value.
    void appendJson(QByteArray& out) const;

private:
    using Value = std::variant<QString, TDateTime, DataPacket, QString*>;
    explicit RemoteArg(Value value) : value_(std::move(value)) {}

    Value value_;
};
