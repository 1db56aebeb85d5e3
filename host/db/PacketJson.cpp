#include "PacketJson.h"

#include "BufferRoom.h"
#include "EDatabaseError.h"

#include <limits>

namespace PacketJson {

void invalid(const QString& problem)
{
    throw EDatabaseError(QStringLiteral("Pacote de dados inválido: %1").arg(problem));
}

Input::Input(const QByteArray& json)
{
    if (json.isEmpty())
        invalid(QStringLiteral("o pacote está vazio."));
    const auto size = std::size_t(json.size());
    const auto room = std::size_t(roomAfter(json));
    if (room >= simdjson::SIMDJSON_PADDING) {
        view_ = simdjson::padded_string_view(json.constData(), size, size + room);
    } else {
        copy_ = simdjson::padded_string(json.constData(), size);
        view_ = copy_;
    }
    if (const auto error = parser_.iterate(view_).get(document_))
        throw simdjson::simdjson_error(error);
}

sj::object Input::root()
{
    if (sj::json_type(document_.type()) != sj::json_type::object)
        invalid(QStringLiteral("o pacote deve ser um objeto JSON."));
    return document_.get_object();
}

void Input::checkEnd()
{
    const char* rest = nullptr;
    if (document_.current_location().get(rest) == simdjson::SUCCESS)
        invalid(QStringLiteral("há texto após o fim do objeto."));
}

sj::array arrayOf(sj::value value, std::string_view key)
{
    if (sj::json_type(value.type()) != sj::json_type::array)
        invalid(QStringLiteral("'%1' deve ser uma lista.").arg(QLatin1StringView(key)));
    return value.get_array();
}

QString textOf(sj::value value, std::string_view key)
{
    std::string_view text;
    if (value.get_string().get(text) != simdjson::SUCCESS)
        invalid(QStringLiteral("'%1' deve ser um texto.").arg(QLatin1StringView(key)));
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

int integerOf(sj::value value, std::string_view key)
{
    std::int64_t number = 0;
    if (value.get_int64().get(number) != simdjson::SUCCESS || number < 0 ||
        number > std::numeric_limits<int>::max())
        invalid(QStringLiteral("'%1' deve ser um número inteiro.").arg(QLatin1StringView(key)));
    return int(number);
}

} // namespace PacketJson
