#include "AppServerProcess.h"
#include "HostMainWindow.h"
#include "Med00418.h"
#include "QuitOnSignals.h"
#include "RecordingPrompts.h"
#include "ScreenFixture.h"
#include "ServerDatabase.h"
#include "TButtonFlat.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDateEditPlus.h"
#include "TMaskEdit.h"
#include "TMenuItem.h"
#include "TfrmMediEfeti.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStyleOptionTitleBar>
#include <QtTest>
#include <csignal>
#include <unistd.h>

using F = ScreenFixture;
using Answer = UserPrompts::OpenLineAnswer;

namespace {

const QString OpenLineQuestion =
    QStringLiteral("A linha em edição ainda não foi gravada. Gravar antes de continuar?");
const QString NoService = QStringLiteral("Serviço deve ser informado.");

// Every way a user can make an open line go, or the screen with it.
enum class Way {
    CloseCommand,
    CloseMenuEntry,
    TitleBarClose,
    WindowMenuClose,
    HostWindowMenuClose,
    HostQuitMenu,
    MainWindowClose,
    TerminationSignal,
    ImportCommand,
    ImportMenuEntry
};

bool quits(Way way)
{
    return way == Way::HostQuitMenu || way == Way::MainWindowClose || way == Way::TerminationSignal;
}

bool imports(Way way)
{
    return way == Way::ImportCommand || way == Way::ImportMenuEntry;
}

// The open line of a row: typed new, typed new with its last cell still in the editor, typed new
// without a service (the post refuses it), or a stored line whose total was typed over.
enum class Line { New, NewStillTyping, NewWithoutService, Edited };

// The area of the title bar of `window` that holds `control`, as its style draws it.
QRect titleBarControl(QMdiSubWindow* window, QStyle::SubControl control)
{
    QStyleOptionTitleBar option;
    option.initFrom(window);
    option.subControls = QStyle::SC_All;
    option.titleBarFlags = window->windowFlags();
    option.titleBarState = window->windowState() | QStyle::State_Active;
    option.state |= QStyle::State_Active;
    option.icon = window->windowIcon();
    option.text = window->windowTitle();
    const int height = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, window);
    option.rect = QRect(0, 0, window->width(), height);
    return window->style()->subControlRect(QStyle::CC_TitleBar, &option, control, window);
}

} // namespace

Q_DECLARE_METATYPE(Way)
Q_DECLARE_METATYPE(Line)
Q_DECLARE_METATYPE(UserPrompts::OpenLineAnswer)

class TstMed00418Closing : public QObject {
    Q_OBJECT

    ScreenFixture fx_;
    std::unique_ptr<QuitOnSignals> quitOnSignals_;
    QPointer<TfrmMediEfeti> screen_;
    int nextDay_ = 0;
    int nextBillingDay_ = 0;

    RecordingPrompts& prompts() const { return fx_.prompts(); }
    QMdiSubWindow* subWindow() const { return qobject_cast<QMdiSubWindow*>(screen_->parentWidget()); }
    TDataSetState state() const { return screen_->cdsEfetGest->State(); }

    // The demo server holds billing for the last ten days; each test that imports takes one of them.
    QDate billingDate() { return QDate::currentDate().addDays(-1 - nextBillingDay_++); }
    // A billing date no other test uses, without billing.
    QDate freshDate() { return QDate(2032, 1, 1).addDays(nextDay_++); }
    // One of branch 0002's services, billed every day.
    static QString branchService() { return QStringLiteral("00003"); }

    // Moves the mouse over a spot of the window's title bar, as a user does before clicking it.
    void clickTitleBar(QStyle::SubControl control)
    {
        QMdiSubWindow* window = subWindow();
        const QPoint at = titleBarControl(window, control).center();
        QTest::mouseMove(fx_.mainWindow()->windowHandle(), window->mapTo(fx_.mainWindow(), at));
        fx_.click(window, at);
    }

    void closeFromTheWindowMenu()
    {
        clickTitleBar(QStyle::SC_TitleBarSysMenu);
        QMenu* menu = subWindow()->systemMenu();
        QVERIFY(QTest::qWaitFor([menu] { return menu->isVisible(); }, 2000));
        const QList<QAction*> entries = menu->actions();
        const auto close = std::find_if(entries.begin(), entries.end(), [](QAction* a) {
            return a->shortcuts().contains(QKeySequence(QKeySequence::Close));
        });
        QVERIFY(close != entries.end());
        F::clickIn(menu, menu->actionGeometry(*close).center());
    }

    void go(Way way)
    {
        switch (way) {
        case Way::CloseCommand:
            fx_.click(screen_->sbtFechar);
            break;
        case Way::CloseMenuEntry:
            screen_->mnuFechar->trigger();
            break;
        case Way::TitleBarClose:
            clickTitleBar(QStyle::SC_TitleBarCloseButton);
            break;
        case Way::WindowMenuClose:
            closeFromTheWindowMenu();
            break;
        case Way::HostWindowMenuClose:
            QVERIFY(fx_.chooseHostMenu(QStringLiteral("Janela"), QStringLiteral("Fechar")));
            break;
        case Way::HostQuitMenu:
            QVERIFY(fx_.chooseHostMenu(QStringLiteral("Faturamento"), QStringLiteral("Sair")));
            break;
        case Way::MainWindowClose:
            fx_.mainWindow()->windowHandle()->close();
            break;
        case Way::TerminationSignal: {
            // As at logout: the signal comes from outside, the event loop takes it up.
            const auto shown = [this] { return prompts().questions.size() + prompts().errors.size(); };
            const auto before = shown();
            ::kill(::getpid(), SIGTERM);
            QVERIFY(
                QTest::qWaitFor([&] { return !fx_.mainWindow()->isVisible() || shown() > before; }, 5000));
            break;
        }
        case Way::ImportCommand:
            fx_.click(screen_->btnImporta);
            break;
        case Way::ImportMenuEntry:
            screen_->mnuImpEF->trigger();
            break;
        }
    }

    // Opens the line of the row on `date` of branch 0002, whose list holds one stored line.
    void openLine(Line line, QDate date)
    {
        fx_.serverDb().insertLine(QStringLiteral("0002"), date, QStringLiteral("00001"), QStringLiteral("2"),
                                  QStringLiteral("10"), QStringLiteral("20"));
        QVERIFY(fx_.showLines(QStringLiteral("2"), date));
        if (line == Line::Edited) {
            QVERIFY(fx_.clickCell(0, F::Total));
            F::type(QStringLiteral("25"));
            QCOMPARE(state(), TDataSetState::dsEdit);
            return;
        }
        F::press(Qt::Key_Insert);
        if (line != Line::NewWithoutService)
            F::type(branchService());
        F::press(Qt::Key_Tab);
        F::press(Qt::Key_Tab);
        F::type(QStringLiteral("3"));
        F::press(Qt::Key_Tab);
        F::type(QStringLiteral("7"));
        if (line != Line::NewStillTyping)
            F::press(Qt::Key_Tab);
        QCOMPARE(state(), TDataSetState::dsInsert);
        QCOMPARE(prompts().errors, QStringList());
    }

    bool screenStillOpen(TfrmMediEfeti* screen) const
    {
        return boStCriado && frmMediEfeti == screen && screen->isVisible();
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<Way>();
        QApplication::setQuitOnLastWindowClosed(false);
        fx_.setUp();
        quitOnSignals_ = std::make_unique<QuitOnSignals>(fx_.mainWindow());
    }
    void cleanupTestCase()
    {
        quitOnSignals_.reset();
        fx_.tearDown();
    }

    void init()
    {
        fx_.resetPrompts();
        screen_ = fx_.openScreen();
        QVERIFY(screen_);
        QVERIFY(fx_.activate());
    }

    void cleanup()
    {
        fx_.startServer();
        if (!fx_.mainWindow()->isVisible())
            fx_.mainWindow()->show();
        QVERIFY(fx_.activate());
        if (screen_ && screen_->cdsEfetGest->State() != TDataSetState::dsBrowse)
            screen_->cdsEfetGest->Cancel();
        QVERIFY(fx_.closeScreen());
    }

    void anOpenLineIsNeverDroppedWithoutAWord_data()
    {
        QTest::addColumn<Way>("way");
        QTest::addColumn<Line>("line");
        QTest::addColumn<Answer>("answer");
        // What the server holds for the date afterwards (before any import), "" for nothing.
        QTest::addColumn<QStringList>("stored");
        const QString kept = QStringLiteral("00001|2.0000|10.0000|20.0000");
        const QString edited = QStringLiteral("00001|2.0000|10.0000|25.0000");
        const QString added = QStringLiteral("00003|3.0000|7.0000|21.0000");
        QTest::newRow("close command, new line, save")
            << Way::CloseCommand << Line::New << Answer::Save << QStringList{kept, added};
        QTest::newRow("close menu entry, edited line, discard")
            << Way::CloseMenuEntry << Line::Edited << Answer::Discard << QStringList{kept};
        QTest::newRow("window's close button, still typing, save")
            << Way::TitleBarClose << Line::NewStillTyping << Answer::Save << QStringList{kept, added};
        QTest::newRow("window menu's close, edited line, stay")
            << Way::WindowMenuClose << Line::Edited << Answer::Stay << QStringList{kept};
        QTest::newRow("host's window menu, new line, discard")
            << Way::HostWindowMenuClose << Line::New << Answer::Discard << QStringList{kept};
        QTest::newRow("host's window menu, new line, stay")
            << Way::HostWindowMenuClose << Line::New << Answer::Stay << QStringList{kept};
        QTest::newRow("window's close button, post refused")
            << Way::TitleBarClose << Line::NewWithoutService << Answer::Save << QStringList{kept};
        QTest::newRow("host's quit, new line, discard")
            << Way::HostQuitMenu << Line::New << Answer::Discard << QStringList{kept};
        QTest::newRow("host's quit, edited line, stay")
            << Way::HostQuitMenu << Line::Edited << Answer::Stay << QStringList{kept};
        QTest::newRow("main window closed, edited line, save")
            << Way::MainWindowClose << Line::Edited << Answer::Save << QStringList{edited};
        QTest::newRow("termination signal, new line, stay")
            << Way::TerminationSignal << Line::New << Answer::Stay << QStringList{kept};
        QTest::newRow("main window closed, post refused")
            << Way::MainWindowClose << Line::NewWithoutService << Answer::Save << QStringList{kept};
        QTest::newRow("import command, new line, save")
            << Way::ImportCommand << Line::New << Answer::Save << QStringList{kept, added};
        QTest::newRow("import menu entry, edited line, discard")
            << Way::ImportMenuEntry << Line::Edited << Answer::Discard << QStringList{kept};
        QTest::newRow("import command, still typing, stay")
            << Way::ImportCommand << Line::NewStillTyping << Answer::Stay << QStringList{kept};
    }

    void anOpenLineIsNeverDroppedWithoutAWord()
    {
        QFETCH(Way, way);
        QFETCH(Line, line);
        QFETCH(Answer, answer);
        QFETCH(QStringList, stored);
        const QDate date = imports(way) ? billingDate() : freshDate();
        openLine(line, date);
        const QString reservation = stPrxNr;
        prompts().openLineAnswers = {answer};

        go(way);
        QCOMPARE(prompts().questions, QStringList{OpenLineQuestion});
        const bool refused = line == Line::NewWithoutService;
        QCOMPARE(prompts().errors, refused ? QStringList{NoService} : QStringList());
        const bool stays = answer == Answer::Stay || refused;
        if (imports(way)) {
            QVERIFY(screenStillOpen(screen_));
            const QStringList lines = fx_.serverDb().lines(QStringLiteral("0002"), date);
            if (stays) {
                QCOMPARE(lines, stored); // nothing imported
            } else {
                for (const QString& measured : stored) // the lines measured stay as they were
                    QVERIFY2(lines.contains(measured), qPrintable(measured));
                QCOMPARE(lines.size(), 6);
                QCOMPARE(fx_.rowCount(), 6);
            }
        } else {
            QCOMPARE(fx_.serverDb().lines(QStringLiteral("0002"), date), stored);
            if (stays) {
                QVERIFY(screenStillOpen(screen_));
                QCOMPARE(fx_.serverDb().reservations(reservation), 1);
            } else {
                QVERIFY(!boStCriado);
                QTRY_VERIFY(screen_.isNull());
                QCOMPARE(fx_.serverDb().reservations(reservation), 0);
            }
            if (quits(way))
                QCOMPARE(fx_.mainWindow()->isVisible(), stays);
        }
        if (stays) {
            QCOMPARE(state(), line == Line::Edited ? TDataSetState::dsEdit : TDataSetState::dsInsert);
            // Everything typed is still there, the cell being typed in included.
            const int row = screen_->cdsEfetGest->RecNo() - 1;
            if (line == Line::Edited) {
                QCOMPARE(fx_.cell(row, F::Total), QStringLiteral("25,000"));
            } else {
                QCOMPARE(fx_.cell(row, F::Staff), QStringLiteral("3,000"));
                QCOMPARE(fx_.cell(row, F::Price), QStringLiteral("7,000"));
            }
            // The user goes on where they were: the line is still theirs to finish.
            QVERIFY(F::focus() == screen_->dbgData || screen_->dbgData->isAncestorOf(F::focus()));
        }
    }

    void aSaveTheServerRefusesStopsWhatWasAsked_data()
    {
        QTest::addColumn<Way>("way");
        QTest::newRow("close command") << Way::CloseCommand;
        QTest::newRow("host's quit") << Way::HostQuitMenu;
        QTest::newRow("import command") << Way::ImportCommand;
    }

    void aSaveTheServerRefusesStopsWhatWasAsked()
    {
        QFETCH(Way, way);
        const QDate date = imports(way) ? billingDate() : freshDate();
        openLine(Line::Edited, date);
        // Meanwhile another user changes the same line.
        fx_.serverDb().exec(QStringLiteral("UPDATE USR_EFETGEST SET USR_QTEFETGEST = ? WHERE USR_CDFILIAL = "
                                           "'0002' AND USR_DTEFETGEST = ? AND USR_CDSERVFILI = '00001'"),
                            {ServerDatabase::scaled(QStringLiteral("4")), date.toString(Qt::ISODate)});
        const QString reservation = stPrxNr;
        prompts().openLineAnswers = {Answer::Save};

        go(way);
        QCOMPARE(prompts().questions, QStringList{OpenLineQuestion});
        // Another user's save came first: the message names the line and both values.
        QCOMPARE(prompts().errors.size(), 1);
        QVERIFY2(prompts().errors.first().startsWith(
                     QStringLiteral("Outro usuário alterou a linha 00001 – Vigilância antes de você.\n"
                                    "Gravado por ele: efetivos 4,000;")),
                 qPrintable(prompts().errors.first()));
        // The user reads why before anything goes on: nothing closed, nothing imported.
        QVERIFY(screenStillOpen(screen_));
        QVERIFY(fx_.mainWindow()->isVisible());
        QCOMPARE(fx_.serverDb().reservations(reservation), 1);
        QCOMPARE(fx_.serverDb().lines(QStringLiteral("0002"), date),
                 QStringList{"00001|4.0000|10.0000|20.0000"});
    }

    void quittingRunsTheCloseStepOfTheScreen_data()
    {
        QTest::addColumn<Way>("way");
        QTest::newRow("host's quit") << Way::HostQuitMenu;
        QTest::newRow("main window closed") << Way::MainWindowClose;
        QTest::newRow("termination signal") << Way::TerminationSignal;
    }

    void quittingRunsTheCloseStepOfTheScreen()
    {
        QFETCH(Way, way);
        QVERIFY(fx_.showLines(QStringLiteral("2"), freshDate()));
        const QString reservation = stPrxNr;
        QCOMPARE(fx_.serverDb().reservations(reservation), 1);
        go(way);
        QVERIFY(!boStCriado);
        QTRY_VERIFY(screen_.isNull());
        QCOMPARE(fx_.serverDb().reservations(reservation), 0);
        QVERIFY(!fx_.mainWindow()->isVisible());
        QCOMPARE(prompts().questions, QStringList());
        QCOMPARE(prompts().errors, QStringList());
    }

    void quittingWithTheServerDownAsksOnce_data()
    {
        QTest::addColumn<Way>("way");
        QTest::addColumn<bool>("closeAnyway");
        QTest::newRow("host's quit, closed anyway") << Way::HostQuitMenu << true;
        QTest::newRow("main window closed, kept") << Way::MainWindowClose << false;
    }

    void quittingWithTheServerDownAsksOnce()
    {
        QFETCH(Way, way);
        QFETCH(bool, closeAnyway);
        const QString reservation = stPrxNr;
        fx_.stopServer();
        prompts().answers = {closeAnyway};
        go(way);
        QCOMPARE(prompts().questions.size(), 1);
        QVERIFY2(prompts().questions.first().contains(QString::number(fx_.port())),
                 qPrintable(prompts().questions.first()));
        QCOMPARE(prompts().errors, QStringList());
        QCOMPARE(fx_.mainWindow()->isVisible(), !closeAnyway);
        QCOMPARE(screenStillOpen(screen_), !closeAnyway);
        if (closeAnyway)
            QTRY_VERIFY(screen_.isNull());
        // Not released: the server lets it expire.
        QCOMPARE(fx_.serverDb().reservations(reservation), 1);
    }

    // Ctrl+C on `make run`, or a logout, with the server already gone: nobody is asked, the log says
    // what stayed held, and the host ends.
    void aSignalWithTheServerDownClosesWithoutAsking()
    {
        const QString reservation = stPrxNr;
        fx_.stopServer();
        QTest::ignoreMessage(
            QtWarningMsg,
            QRegularExpression(QStringLiteral("^Quitting on a signal: reservation %1 not released, "
                                              "it expires on the server by itself: .+")
                                   .arg(reservation)));
        go(Way::TerminationSignal);
        QCOMPARE(prompts().questions, QStringList());
        QCOMPARE(prompts().errors, QStringList());
        QVERIFY(!fx_.mainWindow()->isVisible());
        QTRY_VERIFY(screen_.isNull());
        QCOMPARE(fx_.serverDb().reservations(reservation), 1);
    }
};

QTEST_MAIN(TstMed00418Closing)
#include "tst_med00418_closing.moc"
