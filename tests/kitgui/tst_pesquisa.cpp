#include "Application.h"
#include "PacketCodec.h"
#include "Pesquisa.h"
#include "RecordingPrompts.h"
#include "TClientDataSet.h"
#include "TDataSource.h"
#include "TStringField.h"

#include <QtTest>

class TestPesquisa : public QObject {
    Q_OBJECT

    RecordingPrompts* prompts = nullptr;

private slots:
    void init()
    {
        auto owned = std::make_unique<RecordingPrompts>();
        prompts = owned.get();
        Application::instance().SetPrompts(std::move(owned));
    }

    void splitsTitleAndEmptyText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("reportEmpty");
        QTest::addColumn<QString>("asked");
        QTest::newRow("title and empty text")
            << "Serviço|Não há serviço cadastrado." << true << "choose:Serviço|Não há serviço cadastrado.";
        QTest::newRow("bar inside the empty text") << "Filial|a|b" << true << "choose:Filial|a|b";
        QTest::newRow("no bar") << "Filial" << true << "choose:Filial|Nenhum registro encontrado.";
        QTest::newRow("quiet when empty")
            << "Serviço|Não há serviço cadastrado." << false << "choose:Serviço|";
    }

    void splitsTitleAndEmptyText()
    {
        QFETCH(QString, text);
        QFETCH(bool, reportEmpty);
        QFETCH(QString, asked);
        TDataSource source;
        QVERIFY(!Pesquisa::Pesquisar(source, text, false, reportEmpty));
        QCOMPARE(prompts->calls, QStringList{asked});
    }

    void choiceLeavesTheDataSetOnIt()
    {
        TClientDataSet cds;
        new TStringField(&cds, QStringLiteral("CDFILIAL"), 4);
        cds.SetData(PacketCodec::encodePacket(cds.FieldDefList(), {{"0001"}, {"0002"}, {"0003"}}));
        TDataSource source;
        source.SetDataSet(&cds);
        prompts->chooseRecNo = 3;
        QVERIFY(Pesquisa::Pesquisar(source, QStringLiteral("Filial|Não há filial cadastrada."), false, true));
        QCOMPARE(cds.FieldByName(u"CDFILIAL")->AsString(), QStringLiteral("0003"));
    }
};

QTEST_MAIN(TestPesquisa)
#include "tst_pesquisa.moc"
