#include "Application.h"
#include "Exception.h"
#include "HandlerBinding.h"
#include "RecordingPrompts.h"
#include "TBtnPesquisa.h"
#include "TClientDataSet.h"
#include "TMaskEdit.h"
#include "TStringField.h"

#include <QApplication>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A screen's handlers for the search button, bound by name as the screen binds them.
class Handlers : public QObject {
    Q_OBJECT

public:
    QStringList log;
    bool callOff = false;
    bool failAfter = false;

public slots:
    void btpFilialBeforePesq(QObject* sender, bool& proceed)
    {
        log.append(sender->objectName() + ":before");
        proceed = !callOff;
    }
    void btpFilialAfterPesq(QObject* sender)
    {
        log.append(sender->objectName() + ":after");
        if (failAfter)
            throw Exception(QStringLiteral("falhou"));
    }
    void btpFilialCancelPesq(QObject* sender) { log.append(sender->objectName() + ":cancel"); }
};

} // namespace

class TestBtnPesquisa : public QObject {
    Q_OBJECT

    RecordingPrompts* prompts = nullptr;
    std::unique_ptr<QWidget> window;
    TMaskEdit* branch = nullptr;
    TMaskEdit* other = nullptr;
    TBtnPesquisa* button = nullptr;
    TClientDataSet* cds = nullptr;
    Handlers* handlers = nullptr;

    // The search list "opens", notes itself and chooses the data set's line `recNo` (0: none).
    void answerSearch(int recNo)
    {
        prompts->choices.append([this, recNo](TDataSource& source) {
            handlers->log.append(QStringLiteral("choose"));
            if (recNo > 0)
                source.DataSet()->SetRecNo(recNo);
            return recNo > 0;
        });
    }

private slots:
    void init()
    {
        window = std::make_unique<QWidget>();
        handlers = new Handlers;
        handlers->setParent(window.get());
        prompts = &installRecordingPrompts();

        auto* layout = new QVBoxLayout(window.get());
        layout->addWidget(branch = new TMaskEdit(window.get()));
        layout->addWidget(button = new TBtnPesquisa(window.get()));
        layout->addWidget(other = new TMaskEdit(window.get()));
        cds = new TClientDataSet(window.get());
        new TStringField(cds, QStringLiteral("CDFILIAL"), 4);
        cds->Open();
        for (int line = 0; line < 2; ++line) {
            cds->Append();
            cds->Post();
        }
        auto* source = new TDataSource(window.get());
        source->SetDataSet(cds);

        button->setObjectName(QStringLiteral("btpFilial"));
        button->SetAssociate(branch);
        button->SetTitle(QStringLiteral("Filial"));
        button->SetDataSource(source);
        button->SetEmptyError(QStringLiteral("Não há filial cadastrada."));
        BindHandler(button->OnBeforePesq, handlers, "btpFilialBeforePesq");
        BindHandler(button->OnAfterPesq, handlers, "btpFilialAfterPesq");
        BindHandler(button->OnCancelPesq, handlers, "btpFilialCancelPesq");
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    void cleanup() { window.reset(); }

    void beforeThenChoiceThenAfter()
    {
        answerSearch(2);
        other->setFocus();
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(handlers->log, (QStringList{"btpFilial:before", "choose", "btpFilial:after"}));
        QCOMPARE(prompts->searchTitles, QStringList{QStringLiteral("Filial|Não há filial cadastrada.")});
        QCOMPARE(cds->RecNo(), 2);
        QCOMPARE(QApplication::focusWidget(), branch);
    }

    void noChoiceNoAfter()
    {
        answerSearch(0);
        button->click();
        // The handler that got the list ready hears it was left, to put its data set back.
        QCOMPARE(handlers->log, (QStringList{"btpFilial:before", "choose", "btpFilial:cancel"}));
    }

    void beforeCanCallTheSearchOff()
    {
        handlers->callOff = true;
        button->click();
        QCOMPARE(handlers->log, QStringList{"btpFilial:before"});
        QVERIFY(prompts->searchTitles.isEmpty());
    }

    void handlerErrorIsShownByTheClick()
    {
        handlers->failAfter = true;
        answerSearch(1);
        button->click();
        QCOMPARE(prompts->errors, QStringList{QStringLiteral("falhou")});
        answerSearch(1);
        QVERIFY_THROWS_EXCEPTION(Exception, button->Click());
    }
};

QTEST_MAIN(TestBtnPesquisa)
#include "tst_btnpesquisa.moc"
