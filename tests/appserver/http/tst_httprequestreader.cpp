// Cutting a connection's bytes into requests: whatever way the bytes arrive, each request comes out
// whole and once, and anything the server will not take is refused before it is buffered.
#include "HttpRequestReader.h"

#include <QtTest>

namespace {

using Outcome = HttpRequestReader::Outcome;

constexpr qint64 Cap = 1000;

const QByteArray Post = "POST /Med00418.rdmMediEfeti?x=1 HTTP/1.1\r\nHost: a\r\n"
                        "content-LENGTH: 5\r\nAuthorization:  Bearer k \r\n\r\nhello";

QList<HttpRequest> readAll(HttpRequestReader& reader, Outcome& last)
{
    QList<HttpRequest> out;
    HttpRequest request;
    while ((last = reader.next(request)) == Outcome::Request)
        out.append(request);
    return out;
}

} // namespace

class HttpRequestReaderTest : public QObject {
    Q_OBJECT

private slots:
    void requestComesOutWholeHoweverItArrives();
    void pipelinedRequestsComeOutInOrder();
    void keepAliveFollowsVersionAndConnection_data();
    void keepAliveFollowsVersionAndConnection();
    void refusals_data();
    void refusals();
};

void HttpRequestReaderTest::requestComesOutWholeHoweverItArrives()
{
    const qsizetype headSize = Post.indexOf("\r\n\r\n") + 4;
    for (qsizetype cut = 1; cut < Post.size(); ++cut) {
        HttpRequestReader reader(Cap);
        HttpRequest request;
        reader.feed(Post.left(cut));
        // Once the head is in, it is given alone first, so a caller can refuse it before its body.
        QCOMPARE(reader.next(request), cut >= headSize ? Outcome::Head : Outcome::NeedMore);
        QCOMPARE(request.authorization, cut >= headSize ? QByteArray("Bearer k") : QByteArray());
        QCOMPARE(reader.next(request), Outcome::NeedMore);
        reader.feed(Post.mid(cut));
        QCOMPARE(reader.next(request), Outcome::Request);
        QCOMPARE(request.method, QByteArray("POST"));
        QCOMPARE(request.path, QByteArray("/Med00418.rdmMediEfeti"));
        QCOMPARE(request.authorization, QByteArray("Bearer k"));
        QCOMPARE(request.body, QByteArray("hello"));
        QVERIFY(request.keepAlive);
        QCOMPARE(reader.next(request), Outcome::NeedMore);
    }
}

void HttpRequestReaderTest::pipelinedRequestsComeOutInOrder()
{
    HttpRequestReader reader(Cap);
    const QByteArray get = "GET /health HTTP/1.1\r\n\r\n";
    // A blank line between requests is tolerated; the third request is still incomplete.
    reader.feed(Post + get + "\r\n" + Post + Post.left(20));
    Outcome last{};
    const QList<HttpRequest> requests = readAll(reader, last);
    QCOMPARE(last, Outcome::NeedMore);
    QCOMPARE(requests.size(), 3);
    QCOMPARE(requests[0].body, QByteArray("hello"));
    QCOMPARE(requests[1].path, QByteArray("/health"));
    QVERIFY(requests[1].body.isEmpty());
    QVERIFY(requests[1].authorization.isEmpty());
    QCOMPARE(requests[2].body, QByteArray("hello"));
    reader.feed(Post.mid(20));
    QCOMPARE(readAll(reader, last).size(), 1);
    QCOMPARE(last, Outcome::NeedMore);
}

void HttpRequestReaderTest::keepAliveFollowsVersionAndConnection_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<bool>("keepAlive");
    QTest::newRow("1.1") << QByteArray("GET / HTTP/1.1\r\n") << true;
    QTest::newRow("1.1 close") << QByteArray("GET / HTTP/1.1\r\nConnection: Close\r\n") << false;
    QTest::newRow("1.0") << QByteArray("GET / HTTP/1.0\r\n") << false;
    QTest::newRow("1.0 keep-alive") << QByteArray("GET / HTTP/1.0\r\nConnection: Keep-Alive\r\n") << true;
}

void HttpRequestReaderTest::keepAliveFollowsVersionAndConnection()
{
    QFETCH(QByteArray, head);
    QFETCH(bool, keepAlive);
    HttpRequestReader reader(Cap);
    reader.feed(head + "\r\n");
    HttpRequest request;
    QCOMPARE(reader.next(request), Outcome::Request);
    QCOMPARE(request.keepAlive, keepAlive);
}

void HttpRequestReaderTest::refusals_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Outcome>("outcome");
    const QByteArray line = "POST /x HTTP/1.1\r\n";
    QTest::newRow("no version") << QByteArray("GET /\r\n\r\n") << Outcome::Malformed;
    QTest::newRow("other protocol") << QByteArray("GET / HTTP/2.0\r\n\r\n") << Outcome::Malformed;
    QTest::newRow("empty method") << QByteArray(" / HTTP/1.1\r\n\r\n") << Outcome::Malformed;
    QTest::newRow("header without colon") << line + "Host a\r\n\r\n" << Outcome::Malformed;
    QTest::newRow("length not a number") << line + "Content-Length: 5x\r\n\r\n" << Outcome::Malformed;
    QTest::newRow("negative length") << line + "Content-Length: -5\r\n\r\n" << Outcome::Malformed;
    QTest::newRow("two lengths") << line + "Content-Length: 0\r\nContent-Length: 5\r\n\r\n"
                                 << Outcome::Malformed;
    QTest::newRow("length over the cap") << line + "Content-Length: 1001\r\n\r\n" << Outcome::TooLarge;
    QTest::newRow("head that never ends")
        << line + QByteArray(HttpRequestReader::HeadAllowance + 1, 'a') << Outcome::TooLarge;
    QTest::newRow("blank lines beyond the head's allowance")
        << QByteArray(HttpRequestReader::HeadAllowance + 2, '\n').replace("\n\n", "\r\n")
        << Outcome::TooLarge;
    QTest::newRow("head within the allowance only without its blank lines")
        << QByteArray(HttpRequestReader::HeadAllowance - 10, '\n').replace("\n\n", "\r\n") + line + "\r\n"
        << Outcome::TooLarge;
    QTest::newRow("two authorizations") << line + "Authorization: Bearer a\r\nauthorization: Bearer b\r\n\r\n"
                                        << Outcome::Malformed;
    QTest::newRow("two request ids") << line + "Idempotency-Key: a\r\nIdempotency-Key: b\r\n\r\n"
                                     << Outcome::Malformed;
    QTest::newRow("request id with a space") << line + "Idempotency-Key: a b\r\n\r\n" << Outcome::Malformed;
    QTest::newRow("request id too long") << line + "Idempotency-Key: " + QByteArray(65, 'k') + "\r\n\r\n"
                                         << Outcome::Malformed;
    // Lines a proxy in front could cut or name otherwise than this reader: a request hidden in them.
    QTest::newRow("blank before a header's colon")
        << line + "Content-Length : 5\r\n\r\nhello" << Outcome::Malformed;
    QTest::newRow("folded header line")
        << line + "Host: a\r\n Content-Length: 5\r\n\r\nhello" << Outcome::Malformed;
    QTest::newRow("line ending in LF alone")
        << line + "Host: a\nContent-Length: 5\r\n\r\nhello" << Outcome::Malformed;
    QTest::newRow("CR alone in a value")
        << line + "Host: a\rContent-Length: 5\r\n\r\nhello" << Outcome::Malformed;
    QTest::newRow("CR alone ending the last line") << line + "Host: a\r\r\n\r\n" << Outcome::Malformed;
    QTest::newRow("NUL in a value") << line + "Host: a" + QByteArray(1, '\0') + "b\r\n\r\n"
                                    << Outcome::Malformed;
    QTest::newRow("method not a token") << QByteArray("PO(ST /x HTTP/1.1\r\n\r\n") << Outcome::Malformed;
    // Refused as it arrives, not after the head timeout: such a head never ends in CRLF CRLF.
    QTest::newRow("head of LF line ends, unfinished")
        << QByteArray("POST /x HTTP/1.1\nHost: a\n") << Outcome::Malformed;
    QTest::newRow("chunked body") << line + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n"
                                  << Outcome::LengthRequired;
}

void HttpRequestReaderTest::refusals()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Outcome, outcome);
    HttpRequestReader reader(Cap);
    reader.feed(bytes);
    HttpRequest request;
    QCOMPARE(reader.next(request), outcome);
}

QTEST_GUILESS_MAIN(HttpRequestReaderTest)

#include "tst_httprequestreader.moc"
