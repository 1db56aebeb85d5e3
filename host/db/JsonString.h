#pragma once

#include "host_db_export.h"

#include <QByteArray>
#include <QStringView>

namespace JsonString {

// `text` as a JSON string literal: quoted, escaped, UTF-8. The one writer of JSON strings, shared by
// the packet codec, the client's requests and the server's answers.
HOST_DB_EXPORT QByteArray quoted(QStringView text);

} // namespace JsonString
