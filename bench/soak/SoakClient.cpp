#include "SoakClient.h"

#include "Currency.h"
#include "EfetGestRecordSet.h"
#include "PacketCodec.h"
#include "RpcClient.h"
#include "TDateTime.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <QUuid>
#include <cstdio>

namespace {

const QString SaveBranch = QStringLiteral("0001");
const QString SaveService = QStringLiteral("00001");
constexpr int AttemptTimeoutMs = 5000;

QByteArray requestBody(const QByteArray& method, const QList<QByteArray>& params)
{
    return R"({"jsonrpc":"2.0","id":1,"method":")" + method + R"(","params":[)" + params.join(',') + "]}";
}

// No answer, or the balancer had no server for the call: the same bytes may be sent again.
bool worthResending(const RpcClient::Reply& reply)
{
    return reply.httpStatus == 0 || reply.httpStatus == 502 || reply.httpStatus == 503 ||
           reply.httpStatus == 504;
}

QByteArray ticketOf(const QByteArray& result)
{
    const QJsonObject object = QJsonDocument::fromJson(result).object();
    return object.value(QStringLiteral("refs")).toArray().first().toString().toUtf8();
}

bool serverResultOk(const QByteArray& result)
{
    const QJsonObject object = QJsonDocument::fromJson(result).object();
    return object.value(QStringLiteral("value")).toObject().value(QStringLiteral("ok")).toBool();
}

} // namespace

SoakClient::SoakClient(Settings settings, const QElapsedTimer& clock, const std::atomic_bool& stop)
    : settings_(std::move(settings)), clock_(clock), stop_(stop)
{}

QDate SoakClient::lineDate(int client, int round)
{
    return QDate(2100, 1, 1).addDays(qint64(client) * MaxRounds + round);
}

void SoakClient::run()
{
    RpcClient rpc(QStringLiteral("127.0.0.1"), settings_.port);
    rpc.http().setTimeout(AttemptTimeoutMs);
    rpc.http().setSignIn("carga", settings_.password);
    for (int r = 0; r < MaxRounds && !stop_.load(); ++r)
        round(rpc, r);
}

void SoakClient::round(RpcClient& rpc, int r)
{
    const QByteArray date = RpcClient::str(lineDate(settings_.client, qMax(0, r - 1)).toString(Qt::ISODate));
    call(rpc, "getEfetGest", {RpcClient::str(SaveBranch), date}, false);
    save(rpc, r);
    reserveAndRelease(rpc);
    if (r % 3 == 2 && nextImport_ < settings_.importSlots.size())
        import(rpc, settings_.importSlots[nextImport_++]);
}

SoakClient::Answer SoakClient::call(RpcClient& rpc, const QByteArray& method, const QList<QByteArray>& params,
                                    bool write)
{
    const QByteArray body = requestBody(method, params);
    rpc.http().setRequestId(write ? QUuid::createUuid().toByteArray(QUuid::WithoutBraces) : QByteArray());
    ++tally_.calls;
    const QDeadlineTimer giveUp(settings_.giveUpMs);
    for (int attempt = 0;; ++attempt) {
        if (attempt > 0) {
            ++tally_.resent;
            QThread::msleep(100);
            // The audit's own check: a client that forgets its key must be caught doubling.
            if (write && settings_.newKeyOnResend)
                rpc.http().setRequestId(QUuid::createUuid().toByteArray(QUuid::WithoutBraces));
        }
        const RpcClient::Reply reply = rpc.post(body);
        if (worthResending(reply) && !giveUp.hasExpired())
            continue;
        Answer answer{reply.ok(), reply.resultJson, reply.errorMessage};
        if (answer.ok) {
            ++tally_.succeeded;
            tally_.successAtMs.append(clock_.elapsed());
        } else if (worthResending(reply)) {
            ++tally_.gaveUp;
            answer.error = QStringLiteral("gave up");
        } else {
            ++tally_.refused;
            if (tally_.refused <= 3)
                std::fprintf(stderr, "  client %d, %s refused: %s\n", settings_.client, method.constData(),
                             qPrintable(answer.error.left(160)));
            if (attempt > 0 && answer.error.contains(QStringLiteral("já cadastrado")))
                ++tally_.savesDoubled;
        }
        return answer;
    }
}

void SoakClient::save(RpcClient& rpc, int r)
{
    const SoakTally::SavedLine line{
        lineDate(settings_.client, r), Currency::fromInt(1 + r % 9).raw(),
        Currency::fromRaw(qint64(1000 + 7 * settings_.client + r % 13) * 100).raw(), 0};
    const Currency total = Currency::fromRaw(line.staff) * Currency::fromRaw(line.unitPrice);
    const Record record{SaveBranch,
                        QVariant::fromValue(TDateTime::fromDate(line.date)),
                        SaveService,
                        QVariant::fromValue(Currency::fromRaw(line.staff)),
                        QVariant::fromValue(Currency::fromRaw(line.unitPrice)),
                        QVariant::fromValue(total),
                        QVariant()};
    const QByteArray changes = PacketCodec::encodeChangeSet(EfetGestRecordSet::fieldDefs(),
                                                            {Change{ChangeKind::Inserted, record, {}}})
                                   .json();
    const Answer answer = call(rpc, "setEfetGest", {changes}, true);
    if (answer.ok)
        tally_.saved.append({line.date, line.staff, line.unitPrice, total.raw()});
    else if (answer.error == QStringLiteral("gave up"))
        tally_.savesUnknown.insert(line.date);
}

void SoakClient::reserveAndRelease(RpcClient& rpc)
{
    const Answer drawn = call(rpc, "GetPrxRelApurFat", {RpcClient::str(SaveBranch)}, true);
    if (!drawn.ok) {
        tally_.ticketsUnknown += drawn.error == QStringLiteral("gave up");
        return;
    }
    const QByteArray ticket =
        QJsonDocument::fromJson("[" + drawn.result + "]").array().first().toString().toUtf8();
    noteTicket(ticket);
    release(rpc, ticket);
}

void SoakClient::import(RpcClient& rpc, const QPair<QString, QDate>& slot)
{
    const Answer answer = call(
        rpc, "Importa",
        {RpcClient::str(slot.first), RpcClient::str(slot.second.toString(Qt::ISODate)), RpcClient::str({})},
        true);
    if (!answer.ok || !serverResultOk(answer.result)) {
        tally_.ticketsUnknown += answer.error == QStringLiteral("gave up");
        return;
    }
    tally_.imports.append(slot);
    const QByteArray ticket = ticketOf(answer.result);
    noteTicket(ticket);
    release(rpc, ticket);
}

void SoakClient::release(RpcClient& rpc, const QByteArray& ticket)
{
    const Answer answer = call(rpc, "SetDelTableApur", {RpcClient::str(QString::fromUtf8(ticket))}, true);
    if (answer.ok && serverResultOk(answer.result))
        tally_.ticketsReleased.insert(ticket.left(ticket.indexOf('-')).toLongLong());
}

void SoakClient::noteTicket(const QByteArray& ticket)
{
    tally_.ticketsHeld.insert(ticket.left(ticket.indexOf('-')).toLongLong());
}
