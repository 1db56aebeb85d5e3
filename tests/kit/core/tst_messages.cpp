#include "Exception.h"
#include "MessageCatalogue.h"
#include "TMessages.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

class TestMessages : public QObject {
    Q_OBJECT

private slots:
    void msg_data();
    void msg();
    void unknownKeyRaises();
    void catalogueFitsWindows1252();
};

void TestMessages::msg_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    const QStringList catalogue = mediEfetiMessageLines();
    QCOMPARE(catalogue.size(), 18);
    const char* expected[][2] = {
        {"Excl", "Confirma exclusão?"},
        {"Filial_Emp", "Filial deve ser informada."},
        {"Filial_Cad", "Filial não cadastrada."},
        {"Serv_cad", "Serviço não cadastrado."},
        {"Serv_Emp", "Serviço deve ser informado."},
        {"Serv_ja_cad", "Efetivos para faturamento já cadastrado."},
        {"Data_ja_cad", "Data faturamento já cadastrada."},
        {"Data_Emp", "Data faturamento deve ser informada."},
        {"Cliente_cad", "Cliente não cadastrado."},
        {"Cliente_Inv", "Cliente deve ser informado."},
        {"Unit_Inf", "Preço unitáro deve ser informado."},
        {"Servico", "Serviço"},
        {"NNUME_Inf", "Nº de efetivos deve ser informado"},
        {"DtFat_inf", "Data faturamento deve ser informada."},
        {"N_Ha_Serv", "Não há serviço cadastrado."},
        {"Cod_Emp", "Código deve ser informado."},
        {"Tota_Inf", "Valor total deve ser informado."},
        {"Serv_Inf", "Serviço deve ser informado."},
    };
    for (const auto& [key, text] : expected)
        QTest::newRow(key) << catalogue << QString::fromUtf8(key) << QString::fromUtf8(text);
    // A key that starts another, or another's start, must not pick that line.
    QTest::newRow("prefix listed first") << QStringList{"Serv_cad|A", "Serv|B"} << "Serv"
                                         << "B";
    QTest::newRow("longer listed first") << QStringList{"Servico2|A", "Servico|B"} << "Servico"
                                         << "B";
    QTest::newRow("case counts") << QStringList{"serv|a", "Serv|b"} << "Serv"
                                 << "b";
    QTest::newRow("bars in the text") << QStringList{"K|a|b"} << "K"
                                      << "a|b";
}

void TestMessages::msg()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, key);
    QFETCH(QString, text);
    TMessages messages;
    messages.SetLines(lines);
    QCOMPARE(messages.Msg(key), text);
}

void TestMessages::unknownKeyRaises()
{
    TMessages messages;
    messages.SetLines(mediEfetiMessageLines());
    for (const QString key : {"Serv", "servico", ""}) {
        try {
            messages.Msg(key);
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
    for (const QString& line : mediEfetiMessageLines())
        QCOMPARE(decoder.decode(encoder.encode(line)), line);
}

QTEST_GUILESS_MAIN(TestMessages)
#include "tst_messages.moc"
