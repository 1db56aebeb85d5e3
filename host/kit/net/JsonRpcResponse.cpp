#include "JsonRpcResponse.h"

#include "Exception.h"
#include "PaddedJson.h"
#include "RawJson.h"
#include "ServerLinkMessages.h"

#include <optional>

namespace ondemand = simdjson::ondemand;

namespace {

// What one pass over the answer found.
struct Answer {
    bool versionOk = false;
    std::optional<qint64> id; // empty for a null id
    std::optional<QByteArray> result;
    std::optional<QStringList> refs;
    std::optional<QString> error;
};

QString text(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

// With room for the parser's padding after the text, so that a data packet in it is read where it lies
// instead of copied once more.
QByteArray bytes(std::string_view json)
{
    QByteArray out;
    out.reserve(qsizetype(json.size() + simdjson::SIMDJSON_PADDING));
    out.append(json.data(), qsizetype(json.size()));
    return out;
}

QStringList readStrings(ondemand::array array)
{
    QStringList strings;
    for (auto item : array)
        strings.append(text(item.get_string()));
    return strings;
}

void readValueAndRefs(ondemand::object result, Answer& answer)
{
    for (auto field : result) {
        const std::string_view key = field.unescaped_key();
        if (key == "value")
            answer.result = bytes(rawJson(field.value()));
        else if (key == "refs")
            answer.refs = readStrings(field.value().get_array());
    }
}

QString readErrorMessage(ondemand::object error)
{
    // An empty message would reach the clerk as a blank error box: it is as malformed as a missing one.
    for (auto field : error) {
        if (std::string_view(field.unescaped_key()) != "message")
            continue;
        const QString message = text(field.value().get_string());
        if (!message.isEmpty())
            return message;
        break;
    }
    throw Exception(ServerLinkMessages::malformedAnswer(QStringLiteral("erro sem mensagem")));
}

void readId(ondemand::value id, Answer& answer)
{
    if (!id.is_null())
        answer.id = id.get_int64();
}

Answer read(ondemand::object response, bool withRefs)
{
    Answer answer;
    for (auto field : response) {
        const std::string_view key = field.unescaped_key();
        if (key == "jsonrpc")
            answer.versionOk = std::string_view(field.value().get_string()) == "2.0";
        else if (key == "id")
            readId(field.value(), answer);
        else if (key == "error")
            answer.error = readErrorMessage(field.value().get_object());
        else if (key == "result" && withRefs)
            readValueAndRefs(field.value().get_object(), answer);
        else if (key == "result")
            answer.result = bytes(rawJson(field.value()));
    }
    return answer;
}

// simdjson's own errors mean the answer is not the JSON it should be; the user needs no more detail.
Answer parse(QByteArray body, bool withRefs)
{
    const PaddedJson json(std::move(body));
    thread_local ondemand::parser parser;
    try {
        ondemand::document document = parser.iterate(json.view());
        Answer answer = read(document.get_object(), withRefs);
        if (!atEnd(document))
            throw Exception(ServerLinkMessages::malformedAnswer(QStringLiteral("conteúdo após a resposta")));
        return answer;
    } catch (const simdjson::simdjson_error&) {
        throw Exception(ServerLinkMessages::malformedAnswer(QStringLiteral("JSON inválido")));
    }
}

void storeRefs(const QStringList& values, const QList<QString*>& references)
{
    if (values.size() != references.size())
        throw Exception(
            ServerLinkMessages::malformedAnswer(QStringLiteral("%1 valores por referência, esperados %2")
                                                    .arg(values.size())
                                                    .arg(references.size())));
    for (qsizetype i = 0; i < values.size(); ++i)
        *references[i] = values[i];
}

} // namespace

RemoteValue decodeJsonRpcResponse(QByteArray body, qint64 id, const QList<QString*>& references)
{
    const bool withRefs = !references.isEmpty();
    const Answer answer = parse(std::move(body), withRefs);
    if (!answer.versionOk)
        throw Exception(ServerLinkMessages::malformedAnswer(QStringLiteral("não é JSON-RPC 2.0")));
    if (answer.id && *answer.id != id)
        throw Exception(ServerLinkMessages::answerMismatch(id));
    if (answer.error)
        throw Exception(*answer.error);
    if (!answer.id)
        throw Exception(ServerLinkMessages::answerMismatch(id));
    if (!answer.result)
        throw Exception(ServerLinkMessages::malformedAnswer(QStringLiteral("sem resultado")));
    if (withRefs)
        storeRefs(answer.refs.value_or(QStringList()), references);
    return RemoteValue(*answer.result);
}
