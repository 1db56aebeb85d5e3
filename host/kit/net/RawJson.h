#pragma once

#include <simdjson.h>
#include <string_view>

// The JSON text of `value` (object, array or scalar) as it stands in the input, without the whitespace
// after it. Consumes the value.
std::string_view rawJson(simdjson::ondemand::value value);

// True when nothing follows what has been read of `document`: a second value after it is an error.
bool atEnd(simdjson::ondemand::document& document);
