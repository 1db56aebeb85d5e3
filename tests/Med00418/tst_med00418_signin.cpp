// The clerk's sign-in on the host against the real server with its demo accounts, offscreen: the
// dialog, a refused password's message, a branch not granted refused at the filter, and a session that
// ends while a line is open, asked for again, after which the line is saved.
#include "HostMainWindow.h"
#include "HostSession.h"
#include "RecordingPrompts.h"
#include "ScreenFixture.h"
#include "ServerDatabase.h"
#include "SignInDialog.h"
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
    void initTestCase() { fx_.setUp(); }
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
