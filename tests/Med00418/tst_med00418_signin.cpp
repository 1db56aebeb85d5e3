// The clerk's sign-in on the host against the real server with its demo accounts, offscreen: the
// dialog, a refused password's message, a branch not granted refused at the filter, the branch search
// listing only the branches granted, and a session that ends while a line is open, asked for again,
// after which the line is saved.
#include "AppServerProcess.h"
#include "HostMainWindow.h"
#include "HostSession.h"
#include "RecordingPrompts.h"
#include "ScreenFixture.h"
#include "ServerDatabase.h"
#include "SignInDialog.h"
#include "TADOIBStringField.h"
#include "TDataSet.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TEdit.h"
#include "TMaskEdit.h"
#include "TfrmMediEfeti.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

namespace {

using F = ScreenFixture;

// What one sign-in dialog showed, and how it was answered.
struct DialogSeen {
    bool shown = false;
    QString login;   // in "Usuário" when it opened
    QString message; // above the fields after "Entrar", when it stayed open
    bool passwordEchoed = true;
};

QLineEdit* fieldNamed(QWidget* dialog, const QString& name)
{
    for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
        if (edit->accessibleName() == name)
            return edit;
    }
    return nullptr;
}

// Answers the next sign-in dialog as a clerk would: her login (when given) and password, then "Entrar".
// When the dialog is still open after that, what it says is recorded and it is cancelled.
void answerSignIn(DialogSeen& seen, const QString& login, const QString& password, int triesLeft = 200)
{
    QTimer::singleShot(20, qApp, [&seen, login, password, triesLeft] {
        auto* dialog = qobject_cast<SignInDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (triesLeft > 0)
                answerSignIn(seen, login, password, triesLeft - 1);
            return;
        }
        seen.shown = true;
        QLineEdit* user = fieldNamed(dialog, QStringLiteral("Usuário"));
        QLineEdit* secret = fieldNamed(dialog, QStringLiteral("Senha"));
        if (!user || !secret)
            return dialog->reject();
        seen.login = user->text();
        seen.passwordEchoed = secret->echoMode() != QLineEdit::Password;
        if (!login.isEmpty())
            user->setText(login);
        QTest::keyClicks(secret, password);
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        if (dialog->isVisible()) {
            seen.message = dialog->findChild<QLabel*>(QStringLiteral("lblMensagem"))->text();
            dialog->reject();
        }
    });
}

} // namespace

class TstMed00418SignIn : public QObject {
    Q_OBJECT

    ScreenFixture fx_;
    int nextDay_ = 0;

    QDate freshDate() { return QDate(2032, 3, 1).addDays(nextDay_++); }

    bool signIn(const QString& login, const QString& password, DialogSeen& seen)
    {
        HostSession::instance().forget();
        answerSignIn(seen, login, password);
        return fx_.hostWindow()->SignIn();
    }

private slots:
    void initTestCase()
    {
        fx_.setUp();
        // A digitador whose only branch was taken back.
        fx_.server().addUser(QStringLiteral("semfilial"), QStringLiteral("digitador"), QStringLiteral("0002"),
                             QStringLiteral("senha-semfilial"));
        QCOMPARE(fx_.server()
                     .userCommand({QStringLiteral("revoke"), QStringLiteral("semfilial"),
                                   QStringLiteral("--branches"), QStringLiteral("0002")})
                     .exitCode,
                 0);
    }
    void cleanupTestCase() { fx_.tearDown(); }

    void dialogSignsInOrSaysWhy_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message"); // empty: signed in
        QTest::addColumn<QString>("statusBar");
        const QString refused = QStringLiteral("Usuário ou senha inválidos.");
        QTest::newRow("right password") << "digitador"
                                        << "demo-digitador"
                                        << ""
                                        << "Usuário: Digitadora de Demonstração (digitador)";
        QTest::newRow("wrong password") << "digitador"
                                        << "errada" << refused << "";
        QTest::newRow("unknown login") << "ninguem"
                                       << "demo-digitador" << refused << "";
    }

    void dialogSignsInOrSaysWhy()
    {
        QFETCH(QString, login);
        QFETCH(QString, password);
        QFETCH(QString, message);
        QFETCH(QString, statusBar);
        DialogSeen seen;
        QCOMPARE(signIn(login, password, seen), message.isEmpty());
        QVERIFY(seen.shown);
        QVERIFY(!seen.passwordEchoed);
        QCOMPARE(seen.message, message);
        QCOMPARE(fx_.hostWindow()->findChild<QLabel*>(QStringLiteral("lblUsuario"))->text(), statusBar);
        // The login is remembered for the next start; the password nowhere.
        QFile settings(qEnvironmentVariable("MED_SETTINGS"));
        QVERIFY(settings.open(QIODevice::ReadOnly));
        const QByteArray saved = settings.readAll();
        QVERIFY(!saved.contains(password.toUtf8()));
        if (message.isEmpty()) {
            QVERIFY(saved.contains("UltimoUsuario=" + login.toUtf8()));
            DialogSeen again;
            QVERIFY(signIn({}, password, again));
            QCOMPARE(again.login, login);
        }
    }

    void branchNotGrantedIsRefusedAtTheFilter()
    {
        DialogSeen seen;
        QVERIFY(signIn(QStringLiteral("filial2"), QStringLiteral("demo-filial2"), seen));
        fx_.resetPrompts();
        TfrmMediEfeti* screen = fx_.openScreen();
        QVERIFY(screen);
        QVERIFY(fx_.activate());
        fx_.click(screen->medCdFilial);
        F::retype(QStringLiteral("1"));
        F::press(Qt::Key_Tab);
        QCOMPARE(fx_.prompts().errors, QStringList{QStringLiteral("Usuário sem acesso à filial 0001.")});
        // Refused before anything is loaded: the focus stays on the branch, the list empty.
        QCOMPARE(F::focus(), screen->medCdFilial);
        QCOMPARE(fx_.rowCount(), 0);
        fx_.resetPrompts();
        QVERIFY(fx_.showLines(QStringLiteral("2"), freshDate()));
        QCOMPARE(fx_.prompts().errors, QStringList());
        QVERIFY(fx_.closeScreen());
    }

    void branchSearchListsTheGrantedBranches_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("typedBefore"); // the branch checked before the search ("": none)
        QTest::addColumn<bool>("choose");         // the last branch listed, or the search left without one
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QString>("emptyText");
        QTest::addColumn<bool>("grants0001");
        const QString none = QStringLiteral("Não há filial cadastrada.");
        QTest::newRow("one granted, chosen")
            << "filial2"
            << "demo-filial2"
            << "" << true << QStringList{"0002"} << "Não há filial liberada para o usuário filial2." << false;
        QTest::newRow("one granted, left") << "filial2"
                                           << "demo-filial2"
                                           << "2" << false << QStringList{"0002"}
                                           << "Não há filial liberada para o usuário filial2." << false;
        QTest::newRow("one granted, left after another refused")
            << "filial2"
            << "demo-filial2"
            << "1" << false << QStringList{"0002"} << "Não há filial liberada para o usuário filial2."
            << false;
        QTest::newRow("three granted, left") << "digitador"
                                             << "demo-digitador"
                                             << "3" << false << QStringList{"0001", "0002", "0003"}
                                             << "Não há filial liberada para o usuário digitador." << true;
        QTest::newRow("administrador, chosen")
            << "admin"
            << "demo-admin"
            << "" << true << QStringList{"0001", "0002", "0003", "0004"} << none << true;
        QTest::newRow("none granted")
            << "semfilial"
            << "senha-semfilial"
            << "" << false << QStringList{} << "Não há filial liberada para o usuário semfilial." << false;
    }

    // Ctrl+Enter on the branch code, as the clerk opens the search; afterwards 0001 typed and left is
    // still refused in the server's words when it is not granted.
    void branchSearchListsTheGrantedBranches()
    {
        QFETCH(QString, login);
        QFETCH(QString, password);
        QFETCH(QString, typedBefore);
        QFETCH(bool, choose);
        QFETCH(QStringList, listed);
        QFETCH(QString, emptyText);
        QFETCH(bool, grants0001);
        DialogSeen seen;
        QVERIFY(signIn(login, password, seen));
        fx_.resetPrompts();
        TfrmMediEfeti* screen = fx_.openScreen();
        QVERIFY(screen);
        QVERIFY(fx_.activate());
        fx_.click(screen->medCdFilial);
        if (!typedBefore.isEmpty()) {
            F::retype(typedBefore);
            F::press(Qt::Key_Tab);
            fx_.click(screen->medCdFilial);
            fx_.prompts().errors.clear();
        }
        const QString before = screen->medCdFilial->Text();
        QStringList shown;
        fx_.prompts().choices << [&](TDataSource& source) {
            TDataSet* branches = source.DataSet();
            for (branches->First(); !branches->Eof(); branches->Next())
                shown << branches->FieldByName(u"CDFILIAL")->AsString();
            // The clerk looks through the list before she chooses, or leaves it.
            branches->First();
            if (choose)
                branches->Last();
            return choose;
        };
        F::press(Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(fx_.activate());
        QCOMPARE(shown, listed);
        QCOMPARE(fx_.prompts().searchTitles, QStringList{QStringLiteral("Filial|") + emptyText});
        QCOMPARE(fx_.prompts().errors, QStringList());
        const QString branch = choose ? listed.last() : before;
        QCOMPARE(screen->medCdFilial->Text(), branch);
        if (choose)
            QVERIFY(!screen->edtNmFilial->text().isEmpty());
        // Left without a choice, the lookup stands where the branch check left it, granted or not.
        if (!branch.isEmpty())
            QCOMPARE(screen->qryFilialCDFILIAL->AsString(), branch);
        QCOMPARE(F::focus(), screen->medCdFilial);

        F::retype(QStringLiteral("1"));
        F::press(Qt::Key_Tab);
        const QStringList refused =
            grants0001 ? QStringList() : QStringList{QStringLiteral("Usuário sem acesso à filial 0001.")};
        QCOMPARE(fx_.prompts().errors, refused);
        QCOMPARE(F::focus(), grants0001 ? static_cast<QWidget*>(screen->depDataFatu) : screen->medCdFilial);
        QVERIFY(fx_.closeScreen());
    }

    void endedSessionIsAskedAgainAndTheOpenLineSaved()
    {
        DialogSeen first;
        QVERIFY(signIn(QStringLiteral("digitador"), QStringLiteral("demo-digitador"), first));
        fx_.resetPrompts();
        TfrmMediEfeti* screen = fx_.openScreen();
        QVERIFY(screen);
        QVERIFY(fx_.activate());
        const QDate date = freshDate();
        QVERIFY(fx_.showLines(QStringLiteral("1"), date));
        F::typeNewLine(QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("10"));
        // The session ends on the server while the line is open (as after a long pause).
        fx_.serverDb().exec(QStringLiteral("UPDATE SESSAO SET CRIADA = 0"));
        DialogSeen asked;
        answerSignIn(asked, {}, QStringLiteral("demo-digitador"));
        fx_.click(screen->sbtConfirmar);
        QVERIFY(asked.shown);
        QCOMPARE(asked.login, QStringLiteral("digitador"));
        QCOMPARE(fx_.prompts().errors, QStringList());
        QCOMPARE(fx_.serverDb().lines(QStringLiteral("0001"), date),
                 QStringList({"00003|2.0000|10.0000|20.0000"}));
        QCOMPARE(fx_.serverDb().rows(QStringLiteral("SELECT USUARIO FROM HIST_EFETGEST WHERE DTEFETGEST = ?"),
                                     {date.toString(Qt::ISODate)}),
                 QStringList{QStringLiteral("digitador")});
        QVERIFY(fx_.closeScreen());
    }
};

QTEST_MAIN(TstMed00418SignIn)
#include "tst_med00418_signin.moc"
