#include "LoadConnection.h"

#include "Currency.h"
#include "EfetGestRecordSet.h"
#include "PacketCodec.h"
#include "RpcClient.h"
#include "TDateTime.h"

namespace {

QByteArray httpPost(const QByteArray& method, const QByteArray& params)
{
    const QByteArray body =
        R"({"jsonrpc":"2.0","id":1,"method":")" + method + R"(","params":[)" + params + "]}";
    return "POST /Med00418.rdmMediEfeti HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"
           "Content-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

QList<QByteArray> mixRequests(const CallMix& mix, int client)
{
    const FieldDefs fields = EfetGestRecordSet::fieldDefs();
    const Record line{mix.branch,
                      QVariant::fromValue(TDateTime::fromDate(mix.date)),
                      mix.scratchService(client),
                      QVariant::fromValue(Currency::parse(u"3")),
                      QVariant::fromValue(Currency::parse(u"1500.25")),
                      QVariant::fromValue(Currency::parse(u"4500.75")),
                      QVariant()};
    const QByteArray branch = RpcClient::str(mix.branch);
    const QByteArray date = RpcClient::str(mix.date.toString(Qt::ISODate));
    return {httpPost("getEfetGest", branch + ',' + date),
            httpPost("GetVerifServ", branch + ',' + date + R"(,"00001")"),
            httpPost("setEfetGest",
                     PacketCodec::encodeChangeSet(fields, {Change{ChangeKind::Inserted, line, {}}}).json()),
            httpPost("setEfetGest",
                     PacketCodec::encodeChangeSet(fields, {Change{ChangeKind::Deleted, {}, line}}).json())};
}

} // namespace

LoadConnection::LoadConnection(quint16 port, const CallMix& mix, int client, LatencyStats& stats,
                               QObject* parent)
    : QObject(parent), port_(port), stats_(stats), requests_(mixRequests(mix, client))
{
    connect(&socket_, &QTcpSocket::connected, this, &LoadConnection::sendNext);
    connect(&socket_, &QTcpSocket::readyRead, this, &LoadConnection::onReadyRead);
    connect(&socket_, &QTcpSocket::errorOccurred, this, [this] { fail(socket_.errorString()); });
}

void LoadConnection::start()
{
    socket_.connectToHost(QStringLiteral("127.0.0.1"), port_);
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
}

void LoadConnection::sendNext()
{
    // Only between whole rounds: a line inserted is always deleted again.
    if (stopping_ && next_ == 0) {
        idle_ = true;
        emit finished();
        return;
    }
    timer_.start();
    socket_.write(requests_[next_]);
    next_ = (next_ + 1) % int(requests_.size());
}

qsizetype LoadConnection::completeAnswer() const
{
    const qsizetype headEnd = buffer_.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return -1;
    const qsizetype at = buffer_.indexOf("Content-Length: ");
    if (at < 0 || at > headEnd)
        return -1;
    const qsizetype from = at + 16;
    const qint64 length = buffer_.mid(from, buffer_.indexOf("\r\n", from) - from).toLongLong();
    const qsizetype total = headEnd + 4 + qsizetype(length);
    return buffer_.size() >= total ? total : -1;
}

void LoadConnection::onReadyRead()
{
    buffer_ += socket_.readAll();
    const qsizetype size = completeAnswer();
    if (size < 0)
        return;
    const QByteArray answer = buffer_.left(size);
    buffer_.remove(0, size);
    stats_.add(timer_.nsecsElapsed());
    if (!answer.startsWith("HTTP/1.1 200") || answer.contains("\"error\":{"))
        return fail(QString::fromUtf8(answer));
    sendNext();
}

void LoadConnection::fail(const QString& why)
{
    if (failure_.isEmpty())
        failure_ = why;
    stopping_ = true;
    idle_ = true;
    emit finished();
}
