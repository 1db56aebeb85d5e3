#include "Application.h"
#include "Exception.h"
#include "HandlerBinding.h"
#include "PacketCodec.h"
#include "RecordingPrompts.h"
#include "TBtnPesquisa.h"
#include "TClientDataSet.h"
#include "TDataSource.h"
#include "TMaskEdit.h"
#include "TStringField.h"

#include <QApplication>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A screen's handlers for the search button, bound by name; each notes itself in `log`.
class Handlers : public QObject {
    Q_OBJECT

public:
    QStringList* log = nullptr;
    bool callOff = false;
    bool failAfter = false;

public slots:
    void btpFilialBeforePesq(QObject* sender, bool& proceed)
    {
        log->append(sender->objectName() + ":before");
        if (callOff)
            proceed = false;
    }
    void btpFilialAfterPesq(QObject* sender)
    {
        log->append(sender->objectName() + ":after");
        if (failAfter)
            throw Exception(QStringLiteral("falhou"));
    }
};

} // namespace

class TestBtnPesquisa : public QObject {
    Q_OBJECT

    RecordingPrompts* prompts = nullptr;
    QStringList log;
    std::unique_ptr<QWidget> window;
    TMaskEdit* branch = nullptr;
    TMaskEdit* other = nullptr;
    TBtnPesquisa* button = nullptr;
    TClientDataSet* cds = nullptr;
    TDataSource* source = nullptr;
    Handlers* handlers = nullptr;

private slots:
    void init()
    {
        log.clear();
        auto owned = std::make_unique<RecordingPrompts>();
        prompts = owned.get();
        prompts->whileChoosing = [this] { log.append(QStringLiteral("choose")); };
        Application::instance().SetPrompts(std::move(owned));

        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        branch = new TMaskEdit(window.get());
        branch->SetEditMask(QStringLiteral("9999;0; "));
        button = new TBtnPesquisa(window.get());
        button->setObjectName(QStringLiteral("btpFilial"));
        other = new TMaskEdit(window.get());
        layout->addWidget(branch);
        layout->addWidget(button);
        layout->addWidget(other);

        cds = new TClientDataSet(window.get());
        new TStringField(cds, QStringLiteral("CDFILIAL"), 4);
        cds->SetData(PacketCodec::encodePacket(cds->FieldDefList(), {{"0001"}, {"0002"}}));
        source = new TDataSource(window.get());
        source->SetDataSet(cds);

        button->SetAssociate(branch);
        button->SetTitle(QStringLiteral("Filial"));
        button->SetDataSource(source);
        button->SetEmptyError(QStringLiteral("Não há filial cadastrada."));
        handlers = new Handlers;
        handlers->setParent(window.get());
        handlers->log = &log;
        BindHandler(button->OnBeforePesq, handlers, "btpFilialBeforePesq");
        BindHandler(button->OnAfterPesq, handlers, "btpFilialAfterPesq");

        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    void cleanup() { window.reset(); }

    void beforeThenChoiceThenAfter()
    {
        prompts->chooseRecNo = 2;
        button->click();
        QCOMPARE(log, (QStringList{"btpFilial:before", "choose", "btpFilial:after"}));
        QCOMPARE(prompts->calls, QStringList{QStringLiteral("choose:Filial|Não há filial cadastrada.")});
        QCOMPARE(cds->RecNo(), 2);
    }

    void noChoiceNoAfter()
    {
        prompts->chooseRecNo = 0;
        button->click();
        QCOMPARE(log, (QStringList{"btpFilial:before", "choose"}));
    }

    void beforeCanCallTheSearchOff()
    {
        handlers->callOff = true;
        prompts->chooseRecNo = 1;
        button->click();
        QCOMPARE(log, QStringList{"btpFilial:before"});
        QVERIFY(prompts->calls.isEmpty());
    }

    void afterChoiceTheAssociateHasTheFocus()
    {
        other->setFocus();
        prompts->chooseRecNo = 1;
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), branch);
    }

    void takesNoFocus()
    {
        branch->setFocus();
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        QCOMPARE(QApplication::focusWidget(), branch);
        QCOMPARE(button->Hint(), QStringLiteral("Pesquisar"));
        QCOMPARE(button->Glyph().size(), QSize(32, 16));
    }

    void handlerErrorIsShownByTheClick()
    {
        handlers->failAfter = true;
        prompts->chooseRecNo = 1;
        button->click();
        QCOMPARE(prompts->calls.last(), QStringLiteral("error:falhou"));
        QVERIFY_THROWS_EXCEPTION(Exception, button->Click());
    }

    void noDataSourceIsAnError()
    {
        button->SetDataSource(nullptr);
        button->click();
        QCOMPARE(prompts->calls.size(), 1);
        QVERIFY(prompts->calls.first().startsWith(QStringLiteral("error:")));
    }
};

QTEST_MAIN(TestBtnPesquisa)
#include "tst_btnpesquisa.moc"
