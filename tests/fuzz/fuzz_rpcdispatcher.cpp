// The JSON-RPC dispatcher on an in-memory SQLite database with the demo data: whatever the body, the
// answer is one well-formed JSON-RPC 2.0 response, a result or an error with a known code and a message.
#include "Database.h"
#include "DatabaseSpec.h"
#include "DemoData.h"
#include "FuzzCheck.h"
#include "RdmMediEfeti.h"
#include "RpcDispatcher.h"
#include "Schema.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdint>
#include <memory>

namespace {

struct Server {
    Server()
        : database(DatabaseSpec::parse(QStringLiteral(":memory:"))), methods(database, std::chrono::hours(1))
    {
        Schema::migrate(database);
        DemoData::seedIfEmpty(database);
    }

    Database database;
    RdmMediEfeti methods;
    RpcDispatcher dispatcher{methods, database, std::chrono::hours(1)};
};

Server& server()
{
    static int argc = 1;
    static char name[] = "fuzz_rpcdispatcher";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    static Server instance;
    return instance;
}

void checkAnswer(const QByteArray& body)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    FUZZ_CHECK(error.error == QJsonParseError::NoError && document.isObject());
    const QJsonObject answer = document.object();
    FUZZ_CHECK(answer.value(QLatin1String("jsonrpc")) == QLatin1String("2.0"));
    FUZZ_CHECK(answer.contains(QLatin1String("id")));
    const QJsonValue id = answer.value(QLatin1String("id"));
    FUZZ_CHECK(id.isString() || id.isDouble() || id.isNull());
    FUZZ_CHECK(answer.contains(QLatin1String("result")) != answer.contains(QLatin1String("error")));
    FUZZ_CHECK(answer.size() == 3);
    if (answer.contains(QLatin1String("error"))) {
        const QJsonObject failure = answer.value(QLatin1String("error")).toObject();
        const int code = failure.value(QLatin1String("code")).toInt();
        FUZZ_CHECK(code == -32700 || code == -32600 || code == -32601 || code == -32602 || code == -32000);
        FUZZ_CHECK(!failure.value(QLatin1String("message")).toString().isEmpty());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));
    checkAnswer(server().dispatcher.handle(body).body);
    return 0;
}
