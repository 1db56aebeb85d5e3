#include "RawJson.h"

namespace ondemand = simdjson::ondemand;

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

std::string_view containerText(ondemand::value& value)
{
    if (value.type().value() == ondemand::json_type::object) {
        ondemand::object object = value.get_object().value();
        return object.raw_json().value();
    }
    ondemand::array array = value.get_array().value();
    return array.raw_json().value();
}

} // namespace

std::string_view rawJson(ondemand::value value)
{
    const ondemand::json_type type = value.type().value();
    if (type == ondemand::json_type::object || type == ondemand::json_type::array)
        return withoutTrailingSpace(containerText(value));
    return withoutTrailingSpace(value.raw_json_token());
}

bool atEnd(ondemand::document& document)
{
    const char* location = nullptr;
    return document.current_location().get(location) == simdjson::OUT_OF_BOUNDS;
}
