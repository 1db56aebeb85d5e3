#include "RawJson.h"

namespace {

bool isJsonSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

std::string_view withoutTrailingSpace(std::string_view text)
{
    while (!text.empty() && isJsonSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::string_view rawJson(simdjson::ondemand::value value)
{
    switch (value.type()) {
    case simdjson::ondemand::json_type::object:
        return withoutTrailingSpace(value.get_object().raw_json());
    case simdjson::ondemand::json_type::array:
        return withoutTrailingSpace(value.get_array().raw_json());
    default:
        return withoutTrailingSpace(value.raw_json_token());
    }
}
