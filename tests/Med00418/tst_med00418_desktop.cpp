#include "Application.h"
#include "DarkPalette.h"
#include "DialogPrompts.h"
#include "Med00418.h"
#include "RecordingPrompts.h"
#include "ScreenFixture.h"
#include "ScreenTest.h"
#include "ServerDatabase.h"
#include "TDateEditPlus.h"
#include "TMainMenu.h"
#include "TMaskEdit.h"
#include "TMenuItem.h"
#include "TfrmMediEfeti.h"

#include <QLibraryInfo>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTimer>
#include <QTranslator>
#include <QtTest>

using F = ScreenFixture;

// The screen as a desktop treats it: a click lands where the mouse is, wherever that is in a field.
class TstMed00418Desktop : public ScreenTest {
    Q_OBJECT

    int nextDay_ = 0;

    void reopen()
    {
        tester_.reset();
        QVERIFY(fx_.closeScreen());
        screen_ = fx_.openScreen();
        QVERIFY(screen_);
        QVERIFY(fx_.activate());
    }

private slots:
    void dateTypedAfterAClickAnywhereInTheEmptyFieldFillsItFromTheStart_data()
    {
        QTest::addColumn<double>("across"); // where the click lands, as a share of the typing area
        QTest::newRow("start") << 0.02;
        QTest::newRow("after the first slash") << 0.3;
        QTest::newRow("middle") << 0.5;
        QTest::newRow("near the end") << 0.9;
    }

    void dateTypedAfterAClickAnywhereInTheEmptyFieldFillsItFromTheStart()
    {
        QFETCH(double, across);
        const QDate date = QDate(2031, 3, 10).addDays(nextDay_++);
        fx_.serverDb().insertLine(QStringLiteral("0001"), date, QStringLiteral("00002"), QStringLiteral("4"),
                                  QStringLiteral("10"), QStringLiteral("40"));
        fx_.click(screen_->medCdFilial);
        F::type(QStringLiteral("1"));
        TDateEditPlus* edit = screen_->depDataFatu;
        QCOMPARE(edit->Text(), QString());
        const QRect area = edit->rect().marginsRemoved(edit->textMargins());
        fx_.click(edit, QPoint(area.left() + int(area.width() * across), area.center().y()));
        QCOMPARE(F::focus(), edit);
        F::type(F::dateKeys(date));
        QCOMPARE(edit->Text(), date.toString(QStringLiteral("dd/MM/yyyy")));
        F::press(Qt::Key_Tab);
        QCOMPARE(fx_.prompts().errors, QStringList());
        QCOMPARE(fx_.shownLines(), QStringList({"00002|Limpeza e Conservação|4,000|10,000|40,000"}));
    }

    void commandShowsItsKey_data()
    {
        QTest::addColumn<QString>("command"); // the button; its menu entry is its pair
        QTest::addColumn<QKeySequence>("key");
        QTest::newRow("insert") << "sbtIncluir" << QKeySequence(Qt::Key_Insert);
        QTest::newRow("edit") << "sbtAlterar" << QKeySequence(Qt::Key_F2);
        QTest::newRow("delete") << "sbtExcluir" << QKeySequence(Qt::CTRL | Qt::Key_Delete);
        QTest::newRow("cancel") << "sbtCancelar" << QKeySequence(Qt::Key_Escape);
    }

    void commandShowsItsKey()
    {
        QFETCH(QString, command);
        QFETCH(QKeySequence, key);
        const QString shown = key.toString(QKeySequence::NativeText);
        auto* button = screen_->findChild<TButtonFlat*>(command);
        QVERIFY(button);
        TMenuItem* entry = screen_->MenuItemOf(button);
        QVERIFY(entry);
        QVERIFY2(entry->text().endsWith(QLatin1Char('\t') + shown), qPrintable(entry->text()));
        QVERIFY2(entry->toolTip().contains(shown), qPrintable(entry->toolTip()));
        QVERIFY2(button->toolTip().contains(shown), qPrintable(button->toolTip()));
    }

    void keyWithoutAnEntryIsNamedWhereItActs_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QKeySequence>("key");
        QTest::newRow("back to the filter") << "panFiltro" << QKeySequence(Qt::Key_F12);
        QTest::newRow("calendar") << "calendarButton" << QKeySequence(Qt::Key_F4);
        QTest::newRow("service search") << "cellEditorButton" << QKeySequence(Qt::CTRL | Qt::Key_Enter);
    }

    void keyWithoutAnEntryIsNamedWhereItActs()
    {
        QFETCH(QString, where);
        QFETCH(QKeySequence, key);
        const auto* widget = screen_->findChild<QWidget*>(where);
        QVERIFY2(widget, qPrintable(where));
        QVERIFY2(widget->toolTip().contains(key.toString(QKeySequence::NativeText)),
                 qPrintable(widget->toolTip()));
    }

    // Qt's own texts as the host loads them for a Brazilian user; what they must read comes from the
    // translation the system ships, not from this test.
    void qtTextsReadInPortuguese_data()
    {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("source");
        QTest::newRow("yes button") << "QPlatformTheme"
                                    << "&Yes";
        QTest::newRow("no button") << "QPlatformTheme"
                                   << "&No";
        QTest::newRow("cancel button") << "QPlatformTheme"
                                       << "Cancel";
        QTest::newRow("window menu, close") << "QMdiSubWindow"
                                            << "&Close";
        QTest::newRow("window menu, minimize") << "QMdiSubWindow"
                                               << "Mi&nimize";
    }

    void qtTextsReadInPortuguese()
    {
        QFETCH(QString, context);
        QFETCH(QString, source);
        QTranslator shipped;
        QVERIFY(
            shipped.load(QStringLiteral("qtbase_pt_BR"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
        const QString expected = shipped.translate(qPrintable(context), qPrintable(source));
        QVERIFY2(!expected.isEmpty() && expected != source, qPrintable(expected));
        QStringList shown;
        if (context == QLatin1String("QMdiSubWindow")) {
            for (const QAction* action :
                 qobject_cast<QMdiSubWindow*>(screen_->parentWidget())->systemMenu()->actions())
                shown << action->text();
        } else {
            QMessageBox box(QMessageBox::Question, {}, {},
                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            for (const QAbstractButton* button : box.buttons())
                shown << button->text();
        }
        QVERIFY2(shown.contains(expected), qPrintable(shown.join(QLatin1Char('|'))));
    }

    void dialogsCarryTheApplicationTitle_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("error") << 0;
        QTest::newRow("question") << 1;
        QTest::newRow("line left open") << 2;
    }

    void dialogsCarryTheApplicationTitle()
    {
        QFETCH(int, kind);
        DialogPrompts dialogs;
        QString title;
        QTimer::singleShot(0, [&title] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                title = box->windowTitle();
                box->done(0);
            }
        });
        const QString text = QStringLiteral("Confirma?");
        if (kind == 0)
            dialogs.ShowError(text);
        else if (kind == 1)
            dialogs.Confirm(text);
        else
            dialogs.AskOpenLine(text);
        QCOMPARE(title, fx_.mainWindow()->windowTitle());
        QVERIFY(fx_.activate());
    }

    void openingWithoutTheServerTellsWhatToDoInPortuguese()
    {
        tester_.reset();
        QVERIFY(fx_.closeScreen());
        fx_.stopServer();
        // The network's own words go to the log, not to the clerk.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("not reached")));
        QVERIFY(!Application::instance().Guard([] { IniProc(); }));
        QCOMPARE(
            prompts().errors,
            QStringList(QStringLiteral("Não foi possível falar com o servidor de aplicação 127.0.0.1:%1. "
                                       "Verifique se ele está em funcionamento e se o endereço nas "
                                       "configurações está certo.")
                            .arg(fx_.port())));
        fx_.startServer();
        fx_.resetPrompts();
        screen_ = fx_.openScreen();
        QVERIFY(screen_);
        QVERIFY(fx_.activate());
    }

    // The colours the screen names by role come from the desktop's palette, read when it opens.
    void darkDesktopGivesADarkScreen_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QPalette::ColorRole>("role");    // of the control
        QTest::addColumn<QPalette::ColorRole>("desktop"); // of the desktop palette
        QTest::newRow("grid") << "dbgData" << QPalette::Base << QPalette::ToolTipBase;
        QTest::newRow("grid text") << "dbgData" << QPalette::Text << QPalette::ToolTipText;
        QTest::newRow("branch code") << "medCdFilial" << QPalette::Base << QPalette::ToolTipBase;
        QTest::newRow("branch code text") << "medCdFilial" << QPalette::Text << QPalette::ToolTipText;
        QTest::newRow("date") << "depDataFatu" << QPalette::Base << QPalette::ToolTipBase;
        QTest::newRow("branch name") << "edtNmFilial" << QPalette::Base << QPalette::Button;
        QTest::newRow("label") << "lblDtLanc" << QPalette::WindowText << QPalette::WindowText;
    }

    void darkDesktopGivesADarkScreen()
    {
        QFETCH(QString, control);
        QFETCH(QPalette::ColorRole, role);
        QFETCH(QPalette::ColorRole, desktop);
        const QPalette light = QApplication::palette();
        QApplication::setPalette(darkPalette());
        reopen();
        const auto* widget = screen_->findChild<QWidget*>(control);
        QVERIFY(widget);
        const QColor shown = widget->palette().color(QPalette::Active, role);
        const QColor grid = screen_->dbgData->viewport()->grab().toImage().pixelColor(
            screen_->dbgData->viewport()->rect().bottomRight() - QPoint(4, 4));
        QApplication::setPalette(light);
        reopen();
        QCOMPARE(shown, darkPalette().color(QPalette::Active, desktop));
        QVERIFY2(grid.lightness() < 96, qPrintable(grid.name())); // as painted, under no line
    }

    // The keys that close a child window on a desktop close the screen through its close step.
    void closeKeysAskAboutAnOpenLine_data()
    {
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<bool>("discard"); // the answer to the open line; else stay
        QTest::newRow("Ctrl+W, stay") << QKeySequence(Qt::CTRL | Qt::Key_W) << false;
        QTest::newRow("Ctrl+F4, stay") << QKeySequence(Qt::CTRL | Qt::Key_F4) << false;
        QTest::newRow("Ctrl+F4, discard") << QKeySequence(Qt::CTRL | Qt::Key_F4) << true;
    }

    void closeKeysAskAboutAnOpenLine()
    {
        QFETCH(QKeySequence, key);
        QFETCH(bool, discard);
        QVERIFY(fx_.showLines(QStringLiteral("1"), QDate(2031, 5, 1).addDays(nextDay_++)));
        F::press(Qt::Key_Insert);
        F::type(QStringLiteral("3"));
        if (discard)
            prompts().openLineAnswers = {UserPrompts::OpenLineAnswer::Discard};
        F::press(key[0].key(), key[0].keyboardModifiers());
        QCOMPARE(prompts().questions,
                 QStringList(
                     QStringLiteral("A linha em edição ainda não foi gravada. Gravar antes de continuar?")));
        if (!discard) {
            QVERIFY(boStCriado);
            QCOMPARE(F::focus(), grid()->InplaceEditor());
            return;
        }
        tester_.reset();
        QTRY_VERIFY(!boStCriado);
        screen_ = fx_.openScreen();
        QVERIFY(screen_);
        QVERIFY(fx_.activate());
    }

    void menusShowNoDashForASeparator()
    {
        QList<QAction*> actions = screen_->mnuMenu->actions();
        for (int i = 0; i < actions.size(); ++i) {
            if (QMenu* menu = actions.at(i)->menu())
                actions << menu->actions();
        }
        QVERIFY(actions.size() > 10);
        for (const QAction* action : std::as_const(actions))
            QVERIFY2(action->text() != QLatin1String("-"), qPrintable(action->objectName()));
    }
};

QTEST_MAIN(TstMed00418Desktop)
#include "tst_med00418_desktop.moc"
