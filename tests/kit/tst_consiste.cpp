#include "Consiste.h"
#include "Exception.h"

#include <QTest>

class TestConsiste : public QObject {
    Q_OBJECT

private slots:
    void emptyString_data();
    void emptyString();
    void ajusta_data();
    void ajusta();
    void checkResultServ_data();
    void checkResultServ();
    void failureWithoutRaiseIsNull();
    void rejects_data();
    void rejects();
    void unknownKindRaises();
};

void TestConsiste::emptyString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("empty");
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("blanks") << QStringLiteral("   ") << true;
    QTest::newRow("tab and newline") << QStringLiteral("\t\n ") << true;
    QTest::newRow("digit") << QStringLiteral("0") << false;
    QTest::newRow("padded word") << QStringLiteral("  a ") << false;
}

void TestConsiste::emptyString()
{
    QFETCH(QString, text);
    QFETCH(bool, empty);
    QCOMPARE(Consiste::EmptyString(text), empty);
}

void TestConsiste::ajusta_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("expected");
    QTest::newRow("short") << QStringLiteral("12") << 4 << QStringLiteral("0012");
    QTest::newRow("blanks around") << QStringLiteral(" 7 ") << 4 << QStringLiteral("0007");
    QTest::newRow("exact width") << QStringLiteral("12345") << 5 << QStringLiteral("12345");
    QTest::newRow("longer kept whole") << QStringLiteral(" 123456 ") << 4 << QStringLiteral("123456");
    QTest::newRow("empty") << QString() << 3 << QStringLiteral("000");
    QTest::newRow("inner blank kept") << QStringLiteral("1 2") << 5 << QStringLiteral("001 2");
}

void TestConsiste::ajusta()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QString, expected);
    QCOMPARE(Consiste::Ajusta(text, width), expected);
}

void TestConsiste::checkResultServ_data()
{
    QTest::addColumn<QByteArray>("result");
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("packet payload") << QByteArray(R"({"ok": true, "payload": {"fields": [], "rows": [[1, "a}"]]}})")
                                    << QByteArray(R"({"fields": [], "rows": [[1, "a}"]]})");
    QTest::newRow("payload first") << QByteArray(R"({"payload":"0042","ok":true})") << QByteArray(R"("0042")");
    QTest::newRow("null payload") << QByteArray(R"({"ok":true,"payload":null})") << QByteArray("null");
    QTest::newRow("number payload") << QByteArray("{\n\"ok\" : true ,\n\"payload\" : 12.50 \n}\n")
                                    << QByteArray("12.50");
}

void TestConsiste::checkResultServ()
{
    QFETCH(QByteArray, result);
    QFETCH(QByteArray, payload);
    QCOMPARE(Consiste::CheckResultServ(RemoteValue(result), true, 0).raw(), payload);
}

void TestConsiste::failureWithoutRaiseIsNull()
{
    const RemoteValue failure(R"({"ok": false, "message": "Filial não cadastrada."})");
    QVERIFY(Consiste::CheckResultServ(failure, false, 0).isNull());
    try {
        Consiste::CheckResultServ(failure, true, 0);
        QFAIL("a failure must raise when asked to");
    } catch (const Exception& e) {
        QCOMPARE(e.Message(), QStringLiteral("Filial não cadastrada."));
    }
}

void TestConsiste::rejects_data()
{
    QTest::addColumn<QByteArray>("result");
    QTest::addColumn<bool>("raise");
    QTest::newRow("not json") << QByteArray("ok") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("array") << QByteArray("[true]") << true;
    QTest::newRow("ok without payload") << QByteArray(R"({"ok":true})") << true;
    QTest::newRow("failure without message") << QByteArray(R"({"ok":false})") << false;
    QTest::newRow("ok as text") << QByteArray(R"({"ok":"true","payload":1})") << true;
    QTest::newRow("message not text") << QByteArray(R"({"ok":false,"message":7})") << false;
    QTest::newRow("no ok") << QByteArray(R"({"payload":1})") << true;
    QTest::newRow("trailing content") << QByteArray(R"({"ok":true,"payload":1} x)") << true;
    QTest::newRow("unterminated") << QByteArray(R"({"ok":true,"payload":{"a":1})") << true;
}

void TestConsiste::rejects()
{
    QFETCH(QByteArray, result);
    QFETCH(bool, raise);
    try {
        Consiste::CheckResultServ(RemoteValue(result), raise, 0);
        QFAIL("a malformed result must raise");
    } catch (const Exception& e) {
        QCOMPARE(e.Message(), QStringLiteral("Resposta inválida do servidor de aplicação."));
    }
}

void TestConsiste::unknownKindRaises()
{
    QVERIFY_THROWS_EXCEPTION(Exception, Consiste::CheckResultServ(RemoteValue(R"({"ok":true,"payload":1})"), true, 1));
}

QTEST_GUILESS_MAIN(TestConsiste)
#include "tst_consiste.moc"
