#pragma once

#include <QByteArray>
#include <QStringView>

// Writing JSON text by hand: the server splices packets into answers without parsing them again.
namespace JsonText {

// `text` as a JSON string literal, quotes included.
QByteArray quote(QStringView text);

} // namespace JsonText
