#include "Exception.h"
#include "MessageCatalogue.h"
#include "TMessages.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

class TestMessages : public QObject {
    Q_OBJECT

private slots:
    void init();
    void catalogue_data();
    void catalogue();
    void keyMatchesWhole_data();
    void keyMatchesWhole();
    void unknownKeyRaises();
    void catalogueFitsWindows1252();

private:
    TMessages messages_;
};

void TestMessages::init()
{
    messages_.SetLines(mediEfetiMessageLines());
}

void TestMessages::catalogue_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::newRow("Excl") << "Excl" << "Confirma exclusão?";
    QTest::newRow("Filial_Emp") << "Filial_Emp" << "Filial deve ser informada.";
    QTest::newRow("Filial_Cad") << "Filial_Cad" << "Filial não cadastrada.";
    QTest::newRow("Serv_cad") << "Serv_cad" << "Serviço não cadastrado.";
    QTest::newRow("Serv_Emp") << "Serv_Emp" << "Serviço deve ser informado.";
    QTest::newRow("Serv_ja_cad") << "Serv_ja_cad" << "Efetivos para faturamento já cadastrado.";
    QTest::newRow("Data_ja_cad") << "Data_ja_cad" << "Data faturamento já cadastrada.";
    QTest::newRow("Data_Emp") << "Data_Emp" << "Data faturamento deve ser informada.";
    QTest::newRow("Cliente_cad") << "Cliente_cad" << "Cliente não cadastrado.";
    QTest::newRow("Cliente_Inv") << "Cliente_Inv" << "Cliente deve ser informado.";
    QTest::newRow("Unit_Inf") << "Unit_Inf" << "Preço unitáro deve ser informado.";
    QTest::newRow("Servico") << "Servico" << "Serviço";
    QTest::newRow("NNUME_Inf") << "NNUME_Inf" << "Nº de efetivos deve ser informado";
    QTest::newRow("DtFat_inf") << "DtFat_inf" << "Data faturamento deve ser informada.";
    QTest::newRow("N_Ha_Serv") << "N_Ha_Serv" << "Não há serviço cadastrado.";
    QTest::newRow("Cod_Emp") << "Cod_Emp" << "Código deve ser informado.";
    QTest::newRow("Tota_Inf") << "Tota_Inf" << "Valor total deve ser informado.";
    QTest::newRow("Serv_Inf") << "Serv_Inf" << "Serviço deve ser informado.";
}

void TestMessages::catalogue()
{
    QFETCH(QString, key);
    QFETCH(QString, text);
    QCOMPARE(mediEfetiMessageLines().size(), 18);
    QCOMPARE(messages_.Msg(key), text);
}

// A key that is the start of another, or another's start, must not pick that line.
void TestMessages::keyMatchesWhole_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::newRow("prefix listed first") << QStringList{"Serv_cad|A", "Serv|B"} << "Serv" << "B";
    QTest::newRow("longer key listed first") << QStringList{"Servico2|A", "Servico|B"} << "Servico" << "B";
    QTest::newRow("bars in the text") << QStringList{"K|a|b"} << "K" << "a|b";
    QTest::newRow("empty text") << QStringList{"K|"} << "K" << "";
    QTest::newRow("case counts") << QStringList{"serv|a", "Serv|b"} << "Serv" << "b";
}

void TestMessages::keyMatchesWhole()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, key);
    QFETCH(QString, text);
    messages_.SetLines(lines);
    QCOMPARE(messages_.Msg(key), text);
}

void TestMessages::unknownKeyRaises()
{
    for (const QString& key : {QStringLiteral("Serv"), QStringLiteral("servico"), QStringLiteral("")}) {
        try {
            messages_.Msg(key);
            QFAIL(qPrintable(key + " is not in the catalogue"));
        } catch (const Exception& e) {
            QCOMPARE(e.Message(), QStringLiteral("Mensagem '%1' não cadastrada.").arg(key));
        }
    }
}

// The host stores the catalogue in that code page.
void TestMessages::catalogueFitsWindows1252()
{
    QStringEncoder encoder("windows-1252");
    QStringDecoder decoder("windows-1252");
    QVERIFY(encoder.isValid() && decoder.isValid());
    for (const QString& line : mediEfetiMessageLines()) {
        const QByteArray encoded = encoder.encode(line);
        QVERIFY2(!encoder.hasError(), qPrintable(line));
        QCOMPARE(decoder.decode(encoded), line);
    }
}

QTEST_GUILESS_MAIN(TestMessages)
#include "tst_messages.moc"
