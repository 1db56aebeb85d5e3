#include "RpcRequest.h"

#include "RpcError.h"

#include <simdjson.h>

using namespace simdjson;

namespace {

[[noreturn]] void invalid(const char* why)
{
    throw RpcError(RpcError::InvalidRequest,
                   QStringLiteral("Requisição inválida: %1.").arg(QLatin1String(why)));
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

RpcParam scalarParam(dom::element value)
{
    RpcParam param;
    if (value.is_string()) {
        param.kind = RpcParam::Kind::String;
        param.text = toQString(std::string_view(value));
    } else if (value.is_object()) {
        param.kind = RpcParam::Kind::Object;
    }
    return param;
}

// The DOM has no source positions, so object arguments are read a second time on demand for their text.
void fillObjectTexts(const QByteArray& body, QList<RpcParam>& params)
{
    // The screen's change sets are small: a parser kept per thread serves them without allocating;
    // a rare large one gets its own, so no thread keeps megabytes of buffers for good.
    constexpr qsizetype KeptParserLimit = 64 * 1024;
    thread_local ondemand::parser kept;
    ondemand::parser own;
    ondemand::parser& parser = body.size() <= KeptParserLimit ? kept : own;
    const padded_string padded(body.constData(), size_t(body.size()));
    ondemand::document doc = parser.iterate(padded);
    ondemand::array list = doc.get_object().find_field("params").get_array();
    int index = 0;
    for (auto item : list) {
        if (params[index].kind == RpcParam::Kind::Object) {
            ondemand::object object = item.get_object();
            const std::string_view raw = object.raw_json();
            params[index].json = QByteArray(raw.data(), qsizetype(raw.size()));
        }
        ++index;
    }
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
    thread_local dom::parser parser;
    dom::element root;
    if (parser.parse(body.constData(), size_t(body.size())).get(root) != SUCCESS)
        throw RpcError(RpcError::ParseError, QStringLiteral("Erro de leitura: o corpo não é JSON válido."));
    if (root.is_array())
        invalid("lotes não são aceitos");
    dom::object request;
    if (root.get(request) != SUCCESS)
        invalid("a requisição deve ser um objeto");

    RpcRequest out;
    readHeader(request, out);
    dom::array params;
    if (request["params"].get(params) != SUCCESS)
        invalid("params ausente ou não é uma lista");
    bool anyObject = false;
    for (dom::element value : params) {
        out.params.append(scalarParam(value));
        anyObject = anyObject || out.params.last().kind == RpcParam::Kind::Object;
    }
    if (anyObject)
        fillObjectTexts(body, out.params);
    return out;
}
