#pragma once

#include <QByteArray>
#include <simdjson.h>

// JSON text followed by the SIMDJSON_PADDING bytes that simdjson may read past its end.
class PaddedJson {
public:
    explicit PaddedJson(QByteArray text);

    // Valid while this object lives; string views taken from a parse point into it.
    simdjson::padded_string_view view() const;

private:
    QByteArray buffer_;
    size_t length_ = 0;
};
