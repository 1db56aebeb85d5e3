#include "Pesquisa.h"
#include "RecordingPrompts.h"
#include "TDataSource.h"

#include <QtTest>

class TestPesquisa : public QObject {
    Q_OBJECT

    RecordingPrompts* prompts = nullptr;

private slots:
    void init() { prompts = &installRecordingPrompts(); }

    void splitsTitleAndEmptyText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("reportEmpty");
        QTest::addColumn<QString>("asked");
        QTest::newRow("title and empty text")
            << "Serviço|Não há serviço." << true << "Serviço|Não há serviço.";
        QTest::newRow("no bar") << "Filial" << true << "Filial|Nenhum registro encontrado.";
        QTest::newRow("quiet when empty") << "Serviço|Não há serviço." << false << "Serviço|";
    }

    void splitsTitleAndEmptyText()
    {
        QFETCH(QString, text);
        QFETCH(bool, reportEmpty);
        QFETCH(QString, asked);
        TDataSource source;
        QVERIFY(!Pesquisa::Pesquisar(source, text, false, reportEmpty));
        QCOMPARE(prompts->searchTitles, QStringList{asked});
    }
};

QTEST_MAIN(TestPesquisa)
#include "tst_pesquisa.moc"
