#pragma once

#include "HttpClient.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

// JSON-RPC 2.0 calls on the remote object Med00418.rdmMediEfeti. Arguments are given as JSON text so
// packets travel exactly as the codec wrote them; results come back as their raw JSON text too.
class RpcClient {
public:
    struct Reply {
        int httpStatus = 0;
        QByteArray body;       // the whole answer
        QByteArray resultJson; // raw text of "result", empty when there is none
        int errorCode = 0;     // 0 when the call succeeded
        QString errorMessage;

        bool ok() const { return httpStatus == 200 && errorCode == 0 && !resultJson.isEmpty(); }
        // "result" parsed, for answers that are objects ({"applied": N}, by-reference results).
        QJsonObject resultObject() const;
        // The string result (GetPrxRelApurFat).
        QString resultString() const;
    };

    static constexpr const char* Path = "/Med00418.rdmMediEfeti";

    RpcClient(const QString& host, quint16 port, const QByteArray& token = {});

    Reply call(const QString& method, const QList<QByteArray>& paramsJson);
    // Posts a body as it is, for malformed requests.
    Reply post(const QByteArray& body);
    HttpClient& http() { return http_; }
    // Login now; on success later calls carry its session.
    Reply signIn(const QString& login, const QString& password);

    // A JSON string literal.
    static QByteArray str(const QString& text);
    // Raw text of member `key` of the JSON object `json`; empty when absent.
    static QByteArray member(const QByteArray& json, const char* key);

private:
    static Reply replyOf(const HttpClient::Response& response);

    HttpClient http_;
    qint64 nextId_ = 1;
};
