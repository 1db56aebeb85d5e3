#include "Consiste.h"
#include "Exception.h"
#include "PaddedJson.h"
#include "RawJson.h"

#include <optional>

namespace ondemand = simdjson::ondemand;

namespace {

// What a standard server result holds.
struct ServerResult {
    std::optional<bool> ok;
    std::optional<QByteArray> payload;
    std::optional<QString> message;
};

Exception invalidResult()
{
    return Exception(QStringLiteral("Resposta inválida do servidor de aplicação."));
}

ServerResult read(ondemand::object object)
{
    ServerResult result;
    for (auto field : object) {
        const std::string_view key = field.unescaped_key();
        if (key == "ok") {
            result.ok = bool(field.value().get_bool());
        } else if (key == "payload") {
            const std::string_view raw = rawJson(field.value());
            result.payload = QByteArray(raw.data(), qsizetype(raw.size()));
        } else if (key == "message") {
            const std::string_view message = field.value().get_string();
            result.message = QString::fromUtf8(message.data(), qsizetype(message.size()));
        }
    }
    return result;
}

ServerResult parse(const RemoteValue& value)
{
    const PaddedJson json(value.raw());
    thread_local ondemand::parser parser;
    try {
        ondemand::document document = parser.iterate(json.view());
        ServerResult result = read(document.get_object());
        if (!atEnd(document))
            throw invalidResult();
        return result;
    } catch (const simdjson::simdjson_error&) {
        throw invalidResult();
    }
}

} // namespace

namespace Consiste {

RemoteValue CheckResultServ(const RemoteValue& result, bool raise, int kind)
{
    if (kind != 0)
        throw Exception(QStringLiteral("Tipo de resultado do servidor desconhecido: %1.").arg(kind));
    const ServerResult read = parse(result);
    if (read.ok == true && read.payload)
        return RemoteValue(*read.payload);
    if (read.ok == false && read.message) {
        if (raise)
            throw Exception(*read.message);
        return {};
    }
    throw invalidResult();
}

} // namespace Consiste
