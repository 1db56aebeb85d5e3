#include "RemoteArg.h"

#include "JsonString.h"

RemoteArg RemoteArg::string(QString value)
{
    return RemoteArg(Value(std::in_place_index<0>, std::move(value)));
}

RemoteArg RemoteArg::date(TDateTime value)
{
    return RemoteArg(Value(std::in_place_index<1>, value));
}

RemoteArg RemoteArg::variant(DataPacket value)
{
    return RemoteArg(Value(std::in_place_index<2>, std::move(value)));
}

RemoteArg RemoteArg::stringRef(QString* variable)
{
    Q_ASSERT(variable);
    return RemoteArg(Value(std::in_place_index<3>, variable));
}

QString* RemoteArg::reference() const
{
    const auto* variable = std::get_if<QString*>(&value_);
    return variable ? *variable : nullptr;
}

void RemoteArg::appendJson(QByteArray& out) const
{
    switch (kind()) {
    case Kind::String:
        out += JsonString::quoted(std::get<QString>(value_));
        break;
    case Kind::Date:
        out += JsonString::quoted(std::get<TDateTime>(value_).toIsoString());
        break;
    case Kind::Variant: {
        const DataPacket& packet = std::get<DataPacket>(value_);
        out += packet.isNull() ? QByteArrayLiteral("null") : packet.json();
        break;
    }
    case Kind::StringRef:
        out += JsonString::quoted(*std::get<QString*>(value_));
        break;
    }
}
