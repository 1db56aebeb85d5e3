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
};

void TestConsiste::emptyString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("empty");
    QTest::newRow("empty") << "" << true;
    QTest::newRow("blanks") << "   " << true;
    QTest::newRow("tab and newline") << "\t\n " << true;
    QTest::newRow("zero") << "0" << false;
    QTest::newRow("padded word") << "  a " << false;
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
    QTest::newRow("short") << "12" << 4 << "0012";
    QTest::newRow("blanks around") << " 7 " << 4 << "0007";
    QTest::newRow("exact width") << "12345" << 5 << "12345";
    QTest::newRow("longer kept whole") << " 123456 " << 4 << "123456";
    QTest::newRow("empty") << "" << 3 << "000";
}

void TestConsiste::ajusta()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QString, expected);
    QCOMPARE(Consiste::Ajusta(text, width), expected);
}

// `outcome` is the payload's JSON text, "" for the null value, or the message raised.
void TestConsiste::checkResultServ_data()
{
    QTest::addColumn<QByteArray>("result");
    QTest::addColumn<bool>("raise");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("outcome");
    const QString invalid = QStringLiteral("Resposta inválida do servidor de aplicação.");
    QTest::newRow("packet") << QByteArray(R"({"ok": true, "payload": {"rows": [[1, "a}"]]} })") << true << 0
                            << R"({"rows": [[1, "a}"]]})";
    QTest::newRow("payload first") << QByteArray(R"({"payload":"0042","ok":true})") << true << 0
                                   << R"("0042")";
    QTest::newRow("null payload") << QByteArray(R"({"ok":true,"payload":null})") << true << 0 << "null";
    QTest::newRow("failure raised") << QByteArray(R"({"ok":false,"message":"Filial n\u00e3o cadastrada."})")
                                    << true << 0 << "Filial não cadastrada.";
    QTest::newRow("failure kept") << QByteArray(R"({"ok":false,"message":"x"})") << false << 0 << "";
    QTest::newRow("not json") << QByteArray("ok") << false << 0 << invalid;
    QTest::newRow("array") << QByteArray("[true]") << true << 0 << invalid;
    QTest::newRow("ok without payload") << QByteArray(R"({"ok":true})") << true << 0 << invalid;
    QTest::newRow("failure without message") << QByteArray(R"({"ok":false})") << false << 0 << invalid;
    QTest::newRow("ok as text") << QByteArray(R"({"ok":"true","payload":1})") << true << 0 << invalid;
    QTest::newRow("no ok") << QByteArray(R"({"payload":1})") << true << 0 << invalid;
    QTest::newRow("second value") << QByteArray(R"({"ok":true,"payload":1}{})") << true << 0 << invalid;
    QTest::newRow("unknown kind") << QByteArray(R"({"ok":true,"payload":1})") << true << 1
                                  << "Tipo de resultado do servidor desconhecido: 1.";
}

void TestConsiste::checkResultServ()
{
    QFETCH(QByteArray, result);
    QFETCH(bool, raise);
    QFETCH(int, kind);
    QFETCH(QString, outcome);
    try {
        const RemoteValue payload = Consiste::CheckResultServ(RemoteValue(result), raise, kind);
        QCOMPARE(QString::fromUtf8(payload.raw()), outcome);
    } catch (const Exception& e) {
        QCOMPARE(e.Message(), outcome);
    }
}

QTEST_GUILESS_MAIN(TestConsiste)
#include "tst_consiste.moc"
