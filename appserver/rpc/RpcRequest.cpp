#include "RpcRequest.h"

#include "RpcError.h"

#include <algorithm>
#include <simdjson.h>
#include <vector>

using namespace simdjson;

namespace {

[[noreturn]] void invalid(const char* why)
{
    throw RpcError(RpcError::InvalidRequest,
                   QStringLiteral("Requisição inválida: %1.").arg(QString::fromUtf8(why)));
}

QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QByteArray idText(dom::element id)
{
    switch (id.type()) {
    case dom::element_type::STRING:
    case dom::element_type::INT64:
    case dom::element_type::UINT64:
    case dom::element_type::DOUBLE:
    case dom::element_type::NULL_VALUE: {
        const std::string text = to_string(id);
        return QByteArray(text.data(), qsizetype(text.size()));
    }
    default:
        invalid("id deve ser texto, número ou nulo");
    }
}

// An object argument's JSON text is written back from this one parse, so the packet codec reads exactly
// the members checked here (a number may come back spelt differently, never with another value).
RpcParam paramOf(dom::element value)
{
    RpcParam param;
    if (value.is_string()) {
        param.kind = RpcParam::Kind::String;
        param.text = toQString(std::string_view(value));
    } else if (value.is_object()) {
        param.kind = RpcParam::Kind::Object;
        const std::string json = minify(value);
        param.json = QByteArray(json.data(), qsizetype(json.size()));
    }
    return param;
}

// A name given twice is refused whichever way it is spelt: readers that kept the first and readers that
// kept the last would see different requests.
void checkNamesOnce(dom::object request)
{
    std::vector<std::string_view> names;
    names.reserve(request.size());
    for (const dom::key_value_pair member : request)
        names.push_back(member.key);
    std::sort(names.begin(), names.end());
    if (std::adjacent_find(names.begin(), names.end()) != names.end())
        invalid("membro repetido");
}

void readHeader(dom::object request, RpcRequest& out)
{
    std::string_view version;
    if (request["jsonrpc"].get(version) != SUCCESS || version != "2.0")
        invalid("jsonrpc deve ser \"2.0\"");
    dom::element id;
    if (request["id"].get(id) == SUCCESS)
        out.id = idText(id);
    std::string_view method;
    if (request["method"].get(method) != SUCCESS)
        invalid("method ausente ou não é texto");
    out.method = toQString(method);
}

} // namespace

RpcRequest RpcRequest::parse(const QByteArray& body)
{
    // Requests are small: a parser kept per thread serves them without allocating; a rare large one
    // gets its own, so no thread keeps the buffers of an 8 MiB body for good.
    constexpr qsizetype KeptParserLimit = 64 * 1024;
    thread_local dom::parser kept;
    dom::parser own;
    dom::parser& parser = body.size() <= KeptParserLimit ? kept : own;
    dom::element root;
    if (parser.parse(body.constData(), size_t(body.size())).get(root) != SUCCESS)
        throw RpcError(RpcError::ParseError, QStringLiteral("Erro de leitura: o corpo não é JSON válido."));
    if (root.is_array())
        invalid("lotes não são aceitos");
    dom::object request;
    if (root.get(request) != SUCCESS)
        invalid("a requisição deve ser um objeto");

    checkNamesOnce(request);
    RpcRequest out;
    readHeader(request, out);
    dom::array params;
    if (request["params"].get(params) != SUCCESS)
        invalid("params ausente ou não é uma lista");
    out.params.reserve(qsizetype(params.size()));
    for (dom::element value : params)
        out.params.append(paramOf(value));
    return out;
}
