#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <simdjson.h>
#include <string_view>

// What the packet readers share: simdjson's on-demand parser over a packet's text, and checks of the
// JSON shape that raise EDatabaseError "Pacote de dados inválido: ..." saying what is wrong.
namespace PacketJson {

namespace sj = simdjson::ondemand;

[[noreturn]] void invalid(const QString& problem);

// The packet's text as simdjson reads it, SIMDJSON_PADDING readable bytes past its end: in place when
// the buffer has that room (packets written here do), otherwise from a padded copy.
class Input {
public:
    explicit Input(const QByteArray& json);
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;

    sj::object root();
    // Where the text the parser reads ends: in the copy when there is one, so that it can be measured
    // against the places of its tokens.
    const char* end() const { return view_.data() + view_.length(); }
    // Raises when anything follows the root object.
    void checkEnd();

private:
    simdjson::padded_string copy_;
    simdjson::padded_string_view view_;
    sj::parser parser_;
    sj::document document_;
};

sj::array arrayOf(sj::value value, std::string_view key);
// `describe()` names the value in the message, built only when it is needed.
template <typename Describe> sj::object objectOf(sj::value value, Describe describe)
{
    if (sj::json_type(value.type()) != sj::json_type::object)
        invalid(QStringLiteral("%1 deve ser um objeto.").arg(describe()));
    return value.get_object();
}
QString textOf(sj::value value, std::string_view key);
int integerOf(sj::value value, std::string_view key);

template <typename Visit> void forEachMember(sj::object object, Visit visit)
{
    for (auto member : object) {
        const std::string_view key = member.unescaped_key();
        visit(key, sj::value(member.value()));
    }
}

template <typename T> void checkUnique(const std::optional<T>& seen, std::string_view key)
{
    if (seen)
        invalid(QStringLiteral("'%1' aparece duas vezes.").arg(QLatin1StringView(key)));
}

template <typename T> T required(std::optional<T>& member, const char* key)
{
    if (!member)
        invalid(QStringLiteral("falta '%1'.").arg(QLatin1StringView(key)));
    return std::move(*member);
}

} // namespace PacketJson
