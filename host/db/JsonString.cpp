#include "JsonString.h"

#include "JsonWriter.h"

QByteArray JsonString::quoted(QStringView text)
{
    JsonWriter out(text.size() + 2);
    out.string(text);
    return out.finish(0);
}
