#include "PaddedJson.h"

// Appending to the text we own grows it in place when it has room, else copies it once.
PaddedJson::PaddedJson(QByteArray text) : buffer_(std::move(text)), length_(size_t(buffer_.size()))
{
    buffer_.append(qsizetype(simdjson::SIMDJSON_PADDING), ' ');
}

simdjson::padded_string_view PaddedJson::view() const
{
    return simdjson::padded_string_view(buffer_.constData(), length_, size_t(buffer_.size()));
}
