#include "RpcClient.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <simdjson.h>

RpcClient::RpcClient(const QString& host, quint16 port, const QByteArray& token) : http_(host, port, token) {}

QByteArray RpcClient::str(const QString& text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

QByteArray RpcClient::member(const QByteArray& json, const char* key)
{
    using namespace simdjson;
    ondemand::parser parser;
    const padded_string padded(json.constData(), size_t(json.size()));
    ondemand::document doc;
    ondemand::value value;
    if (parser.iterate(padded).get(doc) != SUCCESS || doc.find_field_unordered(key).get(value) != SUCCESS)
        return {};
    std::string_view raw;
    ondemand::json_type type;
    if (value.type().get(type) != SUCCESS)
        return {};
    if (type == ondemand::json_type::object) {
        ondemand::object object;
        if (value.get_object().get(object) != SUCCESS || object.raw_json().get(raw) != SUCCESS)
            return {};
    } else if (type == ondemand::json_type::array) {
        ondemand::array array;
        if (value.get_array().get(array) != SUCCESS || array.raw_json().get(raw) != SUCCESS)
            return {};
    } else {
        raw = value.raw_json_token();
    }
    return QByteArray(raw.data(), qsizetype(raw.size())).trimmed();
}

RpcClient::Reply RpcClient::call(const QString& method, const QList<QByteArray>& paramsJson)
{
    QByteArray body = "{\"jsonrpc\":\"2.0\",\"id\":" + QByteArray::number(nextId_++) +
                      ",\"method\":" + str(method) + ",\"params\":[";
    for (qsizetype i = 0; i < paramsJson.size(); ++i)
        body += (i ? "," : "") + paramsJson[i];
    return post(body + "]}");
}

RpcClient::Reply RpcClient::signIn(const QString& login, const QString& password)
{
    return replyOf(http_.signIn(login.toUtf8(), password.toUtf8()));
}

RpcClient::Reply RpcClient::post(const QByteArray& body)
{
    return replyOf(http_.post(Path, body));
}

RpcClient::Reply RpcClient::replyOf(const HttpClient::Response& response)
{
    Reply reply;
    reply.httpStatus = response.status;
    reply.body = response.body;
    reply.errorMessage = response.error;
    if (response.status != 200)
        return reply;
    reply.resultJson = member(response.body, "result");
    const QJsonObject error = QJsonDocument::fromJson(member(response.body, "error")).object();
    reply.errorCode = error.value(QStringLiteral("code")).toInt();
    if (!error.isEmpty())
        reply.errorMessage = error.value(QStringLiteral("message")).toString();
    return reply;
}

QJsonObject RpcClient::Reply::resultObject() const
{
    return QJsonDocument::fromJson(resultJson).object();
}

QString RpcClient::Reply::resultString() const
{
    return QJsonDocument::fromJson("[" + resultJson + "]").array().first().toString();
}
