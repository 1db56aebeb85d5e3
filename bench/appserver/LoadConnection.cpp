#include "LoadConnection.h"

#include "Currency.h"
#include "EfetGestRecordSet.h"
#include "PacketCodec.h"
#include "RpcClient.h"
#include "TDateTime.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QByteArray postRequest(const QByteArray& method, const QByteArray& params, const QByteArray& session)
{
    const QByteArray body =
        R"({"jsonrpc":"2.0","id":1,"method":")" + method + R"(","params":[)" + params + "]}";
    const QByteArray authorization =
        session.isEmpty() ? QByteArray() : "Authorization: Bearer " + session + "\r\n";
    return "POST /Med00418.rdmMediEfeti HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n" +
           authorization + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

QList<QByteArray> mixRequests(const CallMix& mix, int client, const QByteArray& session)
{
    const auto httpPost = [&](const QByteArray& method, const QByteArray& params) {
        return postRequest(method, params, session);
    };
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
                               const QByteArray& session)
    : stats_(stats), requests_(mixRequests(mix, client, session))
{
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd_ < 0)
        throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const std::string why = std::strerror(errno);
        ::close(fd_);
        throw std::runtime_error("connect: " + why);
    }
    const int on = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
}

LoadConnection::~LoadConnection()
{
    ::close(fd_);
}

void LoadConnection::start()
{
    sendNext();
}

void LoadConnection::sendNext()
{
    // Only between whole rounds: a line inserted is always deleted again.
    if (stopping_ && next_ == 0) {
        idle_ = true;
        return;
    }
    timer_.start();
    // Requests are a few hundred bytes: the socket's send buffer always takes them whole.
    const QByteArray& request = requests_[next_];
    if (::send(fd_, request.constData(), std::size_t(request.size()), MSG_NOSIGNAL) != request.size())
        return fail(QStringLiteral("send: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
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

void LoadConnection::onReadable()
{
    char chunk[16384];
    for (;;) {
        const ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
        if (got > 0) {
            buffer_.append(chunk, qsizetype(got));
            continue;
        }
        if (got == 0)
            return fail(QStringLiteral("the server closed the connection"));
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            break;
        if (errno != EINTR)
            return fail(QStringLiteral("recv: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    }
    const qsizetype size = completeAnswer();
    if (size < 0)
        return;
    stats_.add(timer_.nsecsElapsed());
    const QByteArrayView answer(buffer_.constData(), size);
    if (!answer.startsWith("HTTP/1.1 200") || answer.contains("\"error\":{"))
        return fail(QString::fromUtf8(answer));
    buffer_.remove(0, size);
    sendNext();
}

void LoadConnection::fail(const QString& why)
{
    if (failure_.isEmpty())
        failure_ = why;
    stopping_ = true;
    idle_ = true;
}
