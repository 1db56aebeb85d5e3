#include "Application.h"
#include "ButtonGlyph.h"
#include "Exception.h"
#include "PacketCodec.h"
#include "RecordingPrompts.h"
#include "TButtonFlat.h"
#include "TClientDataSet.h"
#include "TDataSource.h"
#include "TEdit.h"
#include "TMenuItem.h"
#include "TPanel.h"
#include "TStringField.h"
#include "TfrmPadraoSimples.h"
#include "UserPrompts.h"

#include <QtTest>

namespace {

// A screen built on the base: a box to type in, its own insert command and its own additions to the
// state change and key handling, each calling the base first.
class TfrmTeste : public TfrmPadraoSimples {
    Q_OBJECT

public:
    QStringList calls;
    TEdit* edtNome;
    TClientDataSet* cdsLinhas;

    explicit TfrmTeste(QWidget* parent) : TfrmPadraoSimples(parent)
    {
        edtNome = new TEdit(this);
        edtNome->setGeometry(10, 80, 100, 22);
        cdsLinhas = new TClientDataSet(this);
        cdsLinhas->setObjectName(QStringLiteral("cdsLinhas"));
        new TStringField(cdsLinhas, QStringLiteral("NOME"), 20);
    }

public slots:
    void sbtIncluirClick(QObject* sender) override
    {
        calls << QStringLiteral("incluir");
        TfrmPadraoSimples::sbtIncluirClick(sender);
    }
    void dtsPadraoStateChange(QObject* sender) override
    {
        TfrmPadraoSimples::dtsPadraoStateChange(sender);
        calls << QStringLiteral("state %1").arg(int(dtsPadrao->State()));
    }
    void FormKeyDown(QObject* sender, int& key, Qt::KeyboardModifiers shift) override
    {
        TfrmPadraoSimples::FormKeyDown(sender, key, shift);
        calls << QStringLiteral("key %1").arg(key);
    }
};

QList<TButtonFlat*> dataCommands(const TfrmPadraoSimples& f)
{
    return {f.sbtIncluir,   f.sbtAlterar,   f.sbtExcluir, f.sbtProcurar,
            f.sbtVerificar, f.sbtConfirmar, f.sbtCancelar};
}

// Enabled flags of the seven data commands, as a string of 1s and 0s.
QString commandState(const TfrmPadraoSimples& f)
{
    QString state;
    for (const TButtonFlat* button : dataCommands(f)) {
        state += button->isEnabled() ? u'1' : u'0';
        if (f.MenuItemOf(button)->isEnabled() != button->isEnabled())
            return QStringLiteral("menu differs at ") + button->objectName();
    }
    return state;
}

} // namespace

Q_DECLARE_METATYPE(UserPrompts::OpenLineAnswer)

class TstFrmPadraoSimples : public QObject {
    Q_OBJECT

    RecordingPrompts* prompts_ = nullptr;
    QPointer<TfrmTeste> form_;

    void load(const QStringList& names)
    {
        QList<Record> rows;
        for (const QString& name : names)
            rows << Record{name};
        form_->cdsLinhas->SetData(PacketCodec::encodePacket(form_->cdsLinhas->FieldDefList(), rows));
    }

private slots:
    void init()
    {
        prompts_ = &installRecordingPrompts();
        form_ = Application::instance().CreateForm<TfrmTeste>();
        form_->Show();
        form_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form_));
    }

    void cleanup() { Application::instance().ReleaseForms(); }

    void opensWithTheDataCommandsOff()
    {
        QCOMPARE(commandState(*form_), QStringLiteral("0000000"));
        QVERIFY(form_->sbtFechar->isEnabled());
        QVERIFY(form_->sbtAjuda->isEnabled());
        QVERIFY(form_->KeyPreview());
        for (const char* name : {"panMenu", "dbtNome", "lblCodTela", "mnuMenu", "mnuListagem",
                                 "mnuConfigImpressora", "mnuManutencao", "dtsPadrao", "prdImprimir",
                                 "psdConfigurar", "msgPadrao", "msgMensagensPadroes"})
            QVERIFY2(form_->findChild<QObject*>(QLatin1String(name)), name);
    }

    void commandsFollowTheDataSourceState()
    {
        load({"Ana", "Bia"});
        form_->dtsPadrao->SetDataSet(form_->cdsLinhas);
        QCOMPARE(commandState(*form_), QStringLiteral("1111100"));
        form_->sbtAlterar->click();
        QCOMPARE(form_->cdsLinhas->State(), TDataSetState::dsEdit);
        QCOMPARE(commandState(*form_), QStringLiteral("0000011"));
        form_->mnuCancelar->trigger();
        QCOMPARE(form_->cdsLinhas->State(), TDataSetState::dsBrowse);
        QCOMPARE(commandState(*form_), QStringLiteral("1111100"));
        form_->dtsPadrao->SetEnabled(false);
        QCOMPARE(commandState(*form_), QStringLiteral("0000000"));
        QCOMPARE(form_->calls.last(), QStringLiteral("state 0"));
    }

    void insertRunsTheScreensHandlerAndConfirmPosts()
    {
        load({"Ana"});
        form_->dtsPadrao->SetDataSet(form_->cdsLinhas);
        form_->calls.clear();
        form_->mnuIncluir->trigger();
        QCOMPARE(form_->calls.value(0), QStringLiteral("incluir"));
        QCOMPARE(form_->cdsLinhas->State(), TDataSetState::dsInsert);
        form_->cdsLinhas->FieldByName(u"NOME")->SetAsString(QStringLiteral("Caio"));
        form_->sbtConfirmar->click();
        QCOMPARE(form_->cdsLinhas->State(), TDataSetState::dsBrowse);
        QCOMPARE(form_->cdsLinhas->RecordCount(), 2);
    }

    void refusedPostIsShownAndKeepsTheEdit()
    {
        load({"Ana"});
        form_->dtsPadrao->SetDataSet(form_->cdsLinhas);
        form_->cdsLinhas->BeforePost = [](TDataSet*) { throw Exception(QStringLiteral("Nome inválido.")); };
        form_->sbtAlterar->click();
        form_->sbtConfirmar->click();
        QCOMPARE(prompts_->errors, QStringList({"Nome inválido."}));
        QCOMPARE(form_->cdsLinhas->State(), TDataSetState::dsEdit);
        QCOMPARE(commandState(*form_), QStringLiteral("0000011"));
    }

    void deleteAsksFirst()
    {
        load({"Ana", "Bia"});
        form_->dtsPadrao->SetDataSet(form_->cdsLinhas);
        prompts_->answers = {false, true};
        form_->sbtExcluir->click();
        QCOMPARE(form_->cdsLinhas->RecordCount(), 2);
        form_->mnuExcluir->trigger();
        QCOMPARE(prompts_->questions, QStringList({"Confirma exclusão?", "Confirma exclusão?"}));
        QCOMPARE(form_->cdsLinhas->RecordCount(), 1);
        QCOMPARE(form_->cdsLinhas->valueAt(0, 0).toString(), QStringLiteral("Bia"));
    }

    void closeReleasesTheScreen()
    {
        form_->sbtFechar->click();
        QTRY_VERIFY(!form_);
    }

    void closingSettlesAnOpenLineFirst_data()
    {
        QTest::addColumn<bool>("typed");
        QTest::addColumn<UserPrompts::OpenLineAnswer>("answer");
        QTest::addColumn<bool>("postRefused");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<QStringList>("lines"); // afterwards, "" while the form stays open
        const QStringList pending{
            QStringLiteral("A linha em edição ainda não foi gravada. Gravar antes de continuar?")};
        using A = UserPrompts::OpenLineAnswer;
        QTest::newRow("stored") << true << A::Save << false << pending << QStringList{"Caio"};
        QTest::newRow("discarded") << true << A::Discard << false << pending << QStringList{"Ana"};
        QTest::newRow("kept open") << true << A::Stay << false << pending << QStringList{""};
        QTest::newRow("store refused") << true << A::Save << true << pending << QStringList{""};
        QTest::newRow("nothing typed") << false << A::Stay << false << QStringList() << QStringList{"Ana"};
    }

    void closingSettlesAnOpenLineFirst()
    {
        QFETCH(bool, typed);
        QFETCH(UserPrompts::OpenLineAnswer, answer);
        QFETCH(bool, postRefused);
        load({"Ana"});
        form_->dtsPadrao->SetDataSet(form_->cdsLinhas);
        if (postRefused)
            form_->cdsLinhas->BeforePost = [](TDataSet*) {
                throw Exception(QStringLiteral("Nome inválido."));
            };
        form_->sbtAlterar->click();
        if (typed)
            form_->cdsLinhas->FieldByName(u"NOME")->SetAsString(QStringLiteral("Caio"));
        prompts_->openLineAnswers = {answer};
        QStringList seen;
        form_->cdsLinhas->AfterPost = [&](TDataSet* ds) { seen << ds->FieldByName(u"NOME")->AsString(); };
        form_->cdsLinhas->AfterCancel = [&](TDataSet* ds) { seen << ds->FieldByName(u"NOME")->AsString(); };

        form_->sbtFechar->click();
        QTEST(prompts_->questions, "asked");
        QCOMPARE(prompts_->errors, postRefused ? QStringList{"Nome inválido."} : QStringList());
        QFETCH(QStringList, lines);
        if (lines == QStringList{""}) {
            QVERIFY(form_ && form_->isVisible());
            QCOMPARE(form_->cdsLinhas->State(), TDataSetState::dsEdit);
            QCOMPARE(form_->cdsLinhas->FieldByName(u"NOME")->AsString(), QStringLiteral("Caio"));
            QCOMPARE(seen, QStringList());
            form_->cdsLinhas->AfterPost.clear();
            form_->cdsLinhas->AfterCancel.clear();
            return;
        }
        QCOMPARE(seen, lines);
        QTRY_VERIFY(!form_);
    }

    void formSeesKeysOfItsControls()
    {
        form_->edtNome->setFocus();
        form_->calls.clear();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F12);
        QCOMPARE(form_->calls, QStringList({"key 123"}));
    }

    void commandGlyphsHoldTwoImagesOnATransparentColour()
    {
        for (const TButtonFlat* button : dataCommands(*form_)) {
            const QPixmap glyph = button->Glyph();
            QCOMPARE(glyph.size(), QSize(32, 16));
            QCOMPARE(glyph.toImage().pixelColor(0, 15), QColor(128, 128, 0));
            QVERIFY(ButtonGlyph::Image(glyph, 0).toImage() != ButtonGlyph::Image(glyph, 1).toImage());
        }
    }
};

QTEST_MAIN(TstFrmPadraoSimples)
#include "tst_frmpadraosimples.moc"
