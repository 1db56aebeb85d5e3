#include "RemoteValue.h"

#include "Exception.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

namespace {

Exception notText(const QByteArray& raw)
{
    return Exception(QStringLiteral("O servidor de aplicação retornou %1 onde se esperava um texto.")
                         .arg(QString::fromUtf8(raw.left(60))));
}

} // namespace

RemoteValue::RemoteValue(QByteArray rawJson) : raw_(std::move(rawJson).trimmed()) {}

bool RemoteValue::isNull() const
{
    return raw_.isEmpty() || raw_ == "null";
}

QString RemoteValue::toString() const
{
    if (isNull())
        return {};
    if (raw_.startsWith('{') || raw_.startsWith('['))
        throw notText(raw_);
    const QJsonValue value = toJson();
    if (value.isString())
        return value.toString();
    if (value.isDouble() || value.isBool())
        return QString::fromUtf8(raw_);
    throw notText(raw_);
}

DataPacket RemoteValue::toPacket() const
{
    if (!raw_.startsWith('{'))
        throw Exception(QStringLiteral("O servidor de aplicação não retornou um pacote de dados."));
    return DataPacket(raw_);
}

// QJsonDocument only reads objects and arrays at the top, hence the wrapping array.
QJsonValue RemoteValue::toJson() const
{
    if (isNull())
        return QJsonValue::Null;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson('[' + raw_ + ']', &error);
    if (error.error != QJsonParseError::NoError || document.array().size() != 1)
        throw Exception(QStringLiteral("Valor inválido retornado pelo servidor de aplicação."));
    return document.array().first();
}
