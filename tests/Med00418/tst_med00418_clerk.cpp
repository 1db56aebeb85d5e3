#include "AppServerProcess.h"
#include "Application.h"
#include "DarkPalette.h"
#include "DialogPrompts.h"
#include "HostMainWindow.h"
#include "ModuleLoader.h"
#include "RecordingPrompts.h"
#include "ScreenFixture.h"
#include "ScreenTest.h"
#include "ServerDatabase.h"
#include "TBCDField.h"
#include "TBtnPesquisa.h"
#include "TButtonFlat.h"
#include "TClientDataSet.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TMaskEdit.h"
#include "TMenuItem.h"
#include "TPanel.h"
#include "TStringField.h"
#include "TfrmMediEfeti.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QTextBrowser>
#include <QTextTable>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <functional>

using F = ScreenFixture;

namespace {

// WCAG's contrast ratio.
double contrast(const QColor& a, const QColor& b)
{
    const auto channel = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const auto luminance = [&](const QColor& c) {
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// As painted: the commonest colour of `area` is its background, the pixel furthest from it the core of
// the text (anti-aliased edges lie between the two).
double paintedContrast(QWidget* widget, const QRect& area)
{
    const QImage image = widget->grab(area).toImage();
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb background = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > counts.value(background))
            background = it.key();
    double most = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        most = std::max(most, contrast(QColor(it.key()), QColor(background)));
    return most;
}

} // namespace

// A clerk's day at the keyboard: new lines open on the code, waits show what they wait for, a failed
// load stays visibly not loaded, the branch search and the help and find commands answer to keys, a
// conflict explains itself, colours stay readable on a dark desktop, and the status bar speaks of what
// the grid shows.
class TstMed00418Clerk : public ScreenTest {
    Q_OBJECT

    int nextDay_ = 0;

    QDate freshDate() { return QDate(2034, 3, 1).addDays(nextDay_++); }

    // Vigilância, Limpeza e Conservação and Recepção on a fresh date of branch 0001, shown.
    QDate showThreeLines()
    {
        const QDate date = freshDate();
        ServerDatabase& db = fx_.serverDb();
        db.insertLine(QStringLiteral("0001"), date, QStringLiteral("00001"), QStringLiteral("2"),
                      QStringLiteral("10"), QStringLiteral("20"));
        db.insertLine(QStringLiteral("0001"), date, QStringLiteral("00002"), QStringLiteral("3"),
                      QStringLiteral("10"), QStringLiteral("30"));
        db.insertLine(QStringLiteral("0001"), date, QStringLiteral("00004"), QStringLiteral("1"),
                      QStringLiteral("5"), QStringLiteral("5"));
        return fx_.showLines(QStringLiteral("1"), date) ? date : QDate();
    }

    QString statusBar() const
    {
        const auto* label = fx_.mainWindow()->findChild<QLabel*>(QStringLiteral("lblTotais"));
        return label ? label->text() : QStringLiteral("<no label>");
    }

    void setSetting(const QString& key, const QVariant& value)
    {
        QSettings settings(QString::fromLocal8Bit(qgetenv("MED_SETTINGS")), QSettings::IniFormat);
        if (value.isValid())
            settings.setValue(key, value);
        else
            settings.remove(key);
    }

    QDate importableDate()
    {
        const QDate date = freshDate();
        fx_.serverDb().exec(QStringLiteral("INSERT INTO APURFATGD (CDFILIAL, DTAPURACFATGD, CDSERVFILIAPGD, "
                                           "NREFETIVOSAPGD, VRPRECUNITAPGD) VALUES (?, ?, ?, ?, ?)"),
                            {QStringLiteral("0001"), date.toString(Qt::ISODate), QStringLiteral("00003"),
                             ServerDatabase::scaled(QStringLiteral("2")),
                             ServerDatabase::scaled(QStringLiteral("7"))});
        return date;
    }

private slots:
    void newLineStartsOnTheCode_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("way");
        QTest::newRow("Ins on the staff") << int(F::Staff) << "key";
        QTest::newRow("insert button on the price") << int(F::Price) << "button";
        QTest::newRow("menu entry on the total") << int(F::Total) << "menu";
    }

    void newLineStartsOnTheCode()
    {
        QFETCH(int, column);
        QFETCH(QString, way);
        QVERIFY(showThreeLines().isValid());
        QVERIFY(fx_.clickCell(1, column));
        if (way == QLatin1String("key"))
            F::press(Qt::Key_Insert);
        else if (way == QLatin1String("button"))
            fx_.click(screen_->sbtIncluir);
        else
            screen_->mnuIncluir->trigger();
        QCOMPARE(screen_->cdsEfetGest->State(), TDataSetState::dsInsert);
        QCOMPARE(grid()->SelectedIndex(), int(F::Code));
        grid()->setFocus();
        F::type(QStringLiteral("00003"));
        F::press(Qt::Key_Tab);
        QCOMPARE(prompts().errors, QStringList());
        QCOMPARE(screen_->cdsEfetGestUSR_CDSERVFILI->AsString(), QStringLiteral("00003"));
        QVERIFY(screen_->cdsEfetGestUSR_QTEFETGEST->IsNull());
        F::press(Qt::Key_Escape);
        F::press(Qt::Key_Escape);
    }

    // Each call the clerk waits on shows, past a moment, what it waits for and the seconds so far.
    void everyWaitShowsWhatItWaitsFor_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("shown");
        QTest::newRow("save") << "save"
                              << "Gravando...";
        QTest::newRow("delete") << "delete"
                                << "Gravando...";
        QTest::newRow("refresh") << "refresh"
                                 << "Carregando...";
        QTest::newRow("import") << "import"
                                << "Importando...";
        QTest::newRow("service of a new line") << "service"
                                               << "Verificando o serviço...";
        QTest::newRow("history of a line") << "history"
                                           << "Carregando o histórico...";
        QTest::newRow("closing the screen") << "close"
                                            << "Liberando a filial...";
    }

    void everyWaitShowsWhatItWaitsFor()
    {
        QFETCH(QString, command);
        QFETCH(QString, shown);
        if (command == QLatin1String("import"))
            QVERIFY(fx_.showLines(QStringLiteral("1"), importableDate()));
        else
            QVERIFY(showThreeLines().isValid());
        if (command == QLatin1String("save")) {
            QVERIFY(fx_.clickCell(0, F::Staff));
            F::type(QStringLiteral("7"));
        } else if (command == QLatin1String("service")) {
            F::press(Qt::Key_Insert);
            F::type(QStringLiteral("00003"));
        } else if (command == QLatin1String("history")) {
            QVERIFY(fx_.clickCell(0, F::Code));
        }
        // The server stops answering until the sign has counted a second; the dialogs are those users get.
        QString seen;
        {
            QVERIFY(fx_.server().pause());
            auto recording = Application::instance().ExchangePrompts(std::make_unique<DialogPrompts>());
            const auto restore = qScopeGuard([&] {
                fx_.server().resume();
                Application::instance().SetPrompts(std::move(recording));
            });
            QElapsedTimer sinceStop;
            sinceStop.start();
            QTimer watch;
            watch.setInterval(20);
            connect(&watch, &QTimer::timeout, this, [&] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                    box->defaultButton()->click(); // "Sim" to "Confirma exclusão?"
                else if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                    dialog->reject(); // the history, once read
                const auto* sign = fx_.mainWindow()->findChild<QWidget*>(QStringLiteral("BusyIndicator"));
                if (sign && sign->isVisible() && sign->accessibleName().contains(QStringLiteral("1\u00A0s")))
                    seen = sign->accessibleName();
                // Not a limit on the product: a sign that never counts must not hold the test for a minute.
                if (!seen.isEmpty() || sinceStop.elapsed() > 4000)
                    fx_.server().resume();
            });
            watch.start();
            if (command == QLatin1String("save"))
                fx_.click(screen_->sbtConfirmar);
            else if (command == QLatin1String("delete"))
                fx_.click(screen_->sbtExcluir);
            else if (command == QLatin1String("refresh"))
                fx_.click(screen_->sbtVerificar);
            else if (command == QLatin1String("import"))
                fx_.click(screen_->btnImporta);
            else if (command == QLatin1String("service"))
                F::press(Qt::Key_Tab);
            else if (command == QLatin1String("close"))
                QVERIFY(fx_.closeScreen());
            else
                screen_->mnuHistLinha->trigger();
        }
        QVERIFY(fx_.activate());
        QCOMPARE(seen, shown + QStringLiteral(" 1\u00A0s"));
        QCOMPARE(prompts().errors, QStringList());
        QVERIFY(!fx_.mainWindow()->findChild<QWidget*>(QStringLiteral("BusyIndicator")));
    }

    void timeoutMessageKeepsFigureAndUnitTogether()
    {
        QVERIFY(showThreeLines().isValid());
        setSetting(QStringLiteral("Servidor/TimeoutMs"), 600);
        {
            QVERIFY(fx_.server().pause());
            const auto resume = qScopeGuard([this] { fx_.server().resume(); });
            fx_.click(screen_->sbtVerificar);
        }
        setSetting(QStringLiteral("Servidor/TimeoutMs"), {});
        QVERIFY(fx_.activate());
        QCOMPARE(prompts().errors.size(), 1);
        const QString error = prompts().errors.first();
        QVERIFY2(error.contains(QRegularExpression(QStringLiteral("\\(\\d+\u00A0s\\)"))), qPrintable(error));
    }

    void failedLoadLeavesTheListNotLoaded()
    {
        fx_.stopServer();
        QVERIFY(fx_.showLines(QStringLiteral("1"), freshDate()));
        QCOMPARE(prompts().errors.size(), 1);
        QVERIFY2(statusBar().startsWith(QStringLiteral("Lista não carregada: ")), qPrintable(statusBar()));
        QVERIFY(statusBar().contains(prompts().errors.first()));
        // Only reading it again is offered.
        for (TButtonFlat* off : {screen_->sbtIncluir, screen_->sbtAlterar, screen_->sbtExcluir,
                                 screen_->sbtProcurar, screen_->btnImporta}) {
            QVERIFY2(!off->Enabled(), qPrintable(off->objectName()));
            if (TMenuItem* entry = screen_->MenuItemOf(off))
                QVERIFY(!entry->isEnabled());
        }
        QVERIFY(!screen_->mnuImpEF->isEnabled());
        QVERIFY(screen_->sbtVerificar->Enabled());
        QVERIFY(screen_->mnuVerificar->isEnabled());
        F::press(Qt::Key_Insert);
        QVERIFY(screen_->cdsEfetGest->State() != TDataSetState::dsInsert);

        fx_.startServer();
        fx_.click(screen_->sbtVerificar);
        QCOMPARE(prompts().errors.size(), 1);
        QVERIFY(screen_->sbtIncluir->Enabled());
        QVERIFY(screen_->btnImporta->Enabled());
        QCOMPARE(statusBar(), QStringLiteral("Linhas: 0   Efetivos: 0,000   Total: 0,000"));
    }

    // The totals speak of the list the grid shows, or the bar says nothing.
    void statusBarFollowsTheGrid_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("status");
        QTest::newRow("F12") << "F12"
                             << "";
        QTest::newRow("another branch typed") << "branch"
                                              << "";
        QTest::newRow("invalid date") << "date"
                                      << "";
        QTest::newRow("failed load") << "load"
                                     << "Lista não carregada: ";
    }

    void statusBarFollowsTheGrid()
    {
        QFETCH(QString, step);
        QFETCH(QString, status);
        QVERIFY(showThreeLines().isValid());
        QCOMPARE(statusBar(), QStringLiteral("Linhas: 3   Efetivos: 6,000   Total: 55,000"));
        F::press(Qt::Key_F12);
        if (step == QLatin1String("branch")) {
            F::retype(QStringLiteral("2"));
        } else if (step == QLatin1String("date")) {
            F::press(Qt::Key_Tab);
            F::retype(QStringLiteral("31022034"));
            F::press(Qt::Key_Tab);
            QVERIFY(fx_.activate());
        } else if (step == QLatin1String("load")) {
            fx_.stopServer();
            F::press(Qt::Key_Tab);
            F::press(Qt::Key_Tab);
            QVERIFY(fx_.activate());
            fx_.startServer();
        }
        QVERIFY2(status.isEmpty() ? statusBar().isEmpty() : statusBar().startsWith(status),
                 qPrintable(statusBar()));
        QVERIFY(!statusBar().contains(QStringLiteral("Linhas: 3")));
    }

    void branchSearchAnswersCtrlEnter()
    {
        const QString key = QKeySequence(Qt::CTRL | Qt::Key_Return).toString(QKeySequence::NativeText);
        QVERIFY2(screen_->btpFilial->toolTip().contains(key), qPrintable(screen_->btpFilial->toolTip()));
        QVERIFY(screen_->btpFilial->accessibleDescription().contains(key));
        fx_.click(screen_->medCdFilial);
        QCOMPARE(F::focus(), screen_->medCdFilial);
        prompts().choices << [](TDataSource& source) {
            source.DataSet()->SetRecNo(3);
            return true;
        };
        F::press(Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(fx_.activate());
        QCOMPARE(prompts().searchTitles, QStringList{"Filial|Não há filial cadastrada."});
        QCOMPARE(screen_->medCdFilial->Text(), QStringLiteral("0003"));
        QCOMPARE(screen_->edtNmFilial->Text(), QStringLiteral("Filial Curitiba"));
    }

    void helpOpensInPortuguese_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("F1") << "F1";
        QTest::newRow("? button") << "button";
        QTest::newRow("menu entry") << "menu";
    }

    void helpOpensInPortuguese()
    {
        QFETCH(QString, way);
        QVERIFY(showThreeLines().isValid());
        if (way == QLatin1String("F1"))
            F::press(Qt::Key_F1);
        else if (way == QLatin1String("button"))
            fx_.click(screen_->sbtAjuda);
        else
            screen_->mnuAjuda->trigger();
        auto* help = screen_->findChild<QTextBrowser*>(QStringLiteral("hlpMediEfeti"));
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QVERIFY(help->isWindow());
        QVERIFY(help->windowTitle().contains(QStringLiteral("Medição de Efetivos")));
        const QString text = help->toPlainText();
        for (const char* part : {"Para que serve", "Os passos de um dia", "Teclas", "Formato para colar",
                                 "Exportar", "Histórico da linha", "F12", "Ctrl+Enter", "Ctrl+F", "Insert"})
            QVERIFY2(text.contains(QString::fromUtf8(part)), part);
        QTextTable* keys = nullptr;
        for (QTextBlock block = help->document()->begin(); block.isValid() && !keys; block = block.next())
            keys = QTextCursor(block).currentTable();
        QVERIFY(keys);
        QVERIFY(keys->rows() >= 12);
        help->close();
        QVERIFY(fx_.activate());
    }

    void findMovesTheCursorAsTheClerkTypes_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("found");
        QTest::newRow("code in short, Ctrl+F") << "key"
                                               << "4" << 2 << true;
        QTest::newRow("code in full, button") << "button"
                                              << "00002" << 1 << true;
        QTest::newRow("name without accents or case, menu") << "menu"
                                                            << "RECEPCAO" << 2 << true;
        QTest::newRow("part of a name") << "key"
                                        << "conserv" << 1 << true;
        QTest::newRow("nothing like it") << "key"
                                         << "xyz" << 0 << false;
    }

    void findMovesTheCursorAsTheClerkTypes()
    {
        QFETCH(QString, way);
        QFETCH(QString, typed);
        QFETCH(int, row);
        QFETCH(bool, found);
        QVERIFY(showThreeLines().isValid());
        if (way == QLatin1String("key"))
            F::press(Qt::Key_F, Qt::ControlModifier);
        else if (way == QLatin1String("button"))
            fx_.click(screen_->sbtProcurar);
        else
            screen_->mnuProcurar->trigger();
        auto* box = screen_->findChild<QLineEdit*>(QStringLiteral("edtProcurar"));
        QVERIFY(box);
        QCOMPARE(F::focus(), box);
        F::type(typed);
        QCOMPARE(prompts().errors, QStringList());
        QCOMPARE(screen_->cdsEfetGest->RecNo(), row + 1);
        QCOMPARE(grid()->currentIndex().row(), row);
        const auto* nothing = screen_->findChild<QLabel*>(QStringLiteral("lblProcurarNada"));
        QVERIFY(nothing);
        QCOMPARE(nothing->text().isEmpty(), found);
        F::press(Qt::Key_Return);
        QVERIFY(!box->isVisible());
        QCOMPARE(F::focus(), static_cast<QWidget*>(grid()));
        QCOMPARE(grid()->currentIndex().row(), row);
    }

    void conflictNamesTheLineAndShowsBothValues_data()
    {
        QTest::addColumn<QString>("other"); // what the other clerk did meanwhile
        QTest::addColumn<QString>("saved"); // as the message gives it
        QTest::addColumn<QString>("shown"); // the line in the grid afterwards, or "" when gone
        QTest::newRow("changed the staff") << "update"
                                           << "efetivos 4,000; valor unitário 10,000; total 40,000"
                                           << "00001|Vigilância|4,000|10,000|40,000";
        QTest::newRow("deleted the line") << "delete"
                                          << "a linha foi excluída"
                                          << "";
    }

    void conflictNamesTheLineAndShowsBothValues()
    {
        QFETCH(QString, other);
        QFETCH(QString, saved);
        QFETCH(QString, shown);
        const QDate date = showThreeLines();
        QVERIFY(date.isValid());
        QVERIFY(fx_.clickCell(0, F::Staff));
        F::type(QStringLiteral("7"));
        const QVariantList key{date.toString(Qt::ISODate)};
        if (other == QLatin1String("update"))
            fx_.serverDb().exec(
                QStringLiteral("UPDATE USR_EFETGEST SET USR_QTEFETGEST = 40000, USR_VRTTSERVGEST "
                               "= 400000 WHERE USR_CDFILIAL = '0001' AND USR_DTEFETGEST = ? AND "
                               "USR_CDSERVFILI = '00001'"),
                key);
        else
            fx_.serverDb().exec(QStringLiteral("DELETE FROM USR_EFETGEST WHERE USR_CDFILIAL = '0001' AND "
                                               "USR_DTEFETGEST = ? AND USR_CDSERVFILI = '00001'"),
                                key);
        fx_.click(screen_->sbtConfirmar);
        QVERIFY(fx_.activate());
        QCOMPARE(prompts().errors.size(), 1);
        const QString message = prompts().errors.first();
        QVERIFY2(message.contains(QStringLiteral("00001 – Vigilância")), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("Gravado por ele: %1.").arg(saved)), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("Digitado por você: efetivos 7,000; valor unitário 10,000; "
                                                 "total 70,000.")),
                 qPrintable(message));
        // The grid shows what the server holds.
        QTRY_COMPARE(fx_.shownLines().size(), shown.isEmpty() ? 2 : 3);
        if (shown.isEmpty())
            return;
        QCOMPARE(fx_.shownLines().first(), shown);
        // The clerk types her value again over the current line, and it is saved.
        QCOMPARE(grid()->currentIndex().row(), 0);
        QVERIFY(fx_.clickCell(0, F::Staff));
        F::type(QStringLiteral("7"));
        fx_.click(screen_->sbtConfirmar);
        QCOMPARE(prompts().errors.size(), 1);
        QCOMPARE(fx_.serverDb().lines(QStringLiteral("0001"), date).first(),
                 QStringLiteral("00001|7.0000|10.0000|70.0000"));
    }

    // Every text as painted, under the desktop's palette and under a dark one whose theme keeps light
    // tooltips (as GTK's Adwaita dark does).
    void textsReadOnEveryPalette_data()
    {
        QTest::addColumn<QString>("palette");
        QTest::addColumn<QString>("control");
        for (const char* palette : {"light", "dark", "dark with light tooltips"})
            for (const char* control : {"depDataFatu", "weekday", "medCdFilial", "lblFilial", "dbgData",
                                        "sbtVerificar", "sbtProcurar", "sbtAlterar", "sbtAjuda"})
                QTest::addRow("%s, %s", palette, control) << palette << control;
    }

    void textsReadOnEveryPalette()
    {
        QFETCH(QString, palette);
        QFETCH(QString, control);
        const QPalette desktop = QApplication::palette();
        QPalette used = desktop;
        if (palette != QLatin1String("light"))
            used = darkPalette();
        if (palette == QLatin1String("dark with light tooltips")) {
            used.setColor(QPalette::ToolTipBase, QColor(255, 255, 225));
            used.setColor(QPalette::ToolTipText, Qt::black);
        }
        QApplication::setPalette(used);
        const auto restore = qScopeGuard([&] { QApplication::setPalette(desktop); });
        QVERIFY(fx_.closeScreen());
        screen_ = fx_.openScreen();
        QVERIFY(screen_);
        QVERIFY(fx_.activate());
        tester_.reset();
        QVERIFY(showThreeLines().isValid());
        QTest::qWait(1);

        auto* widget = screen_->findChild<QWidget*>(control);
        QVERIFY(widget);
        QRect area = widget->rect().adjusted(3, 3, -3, -3);
        if (control == QLatin1String("dbgData")) {
            widget = grid()->viewport();
            area = grid()->visualRect(grid()->model()->index(0, F::Name)).adjusted(2, 2, -2, -2);
        }
        const double ratio = paintedContrast(widget, area);
        QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("%1:1").arg(ratio, 0, 'f', 2)));
        if (palette != QLatin1String("light") && control == QLatin1String("medCdFilial")) {
            // A dark desktop gives dark fields, whatever its tooltips.
            const QColor field = widget->grab(area).toImage().pixelColor(area.width() - 2, area.height() / 2);
            QVERIFY2(field.lightness() < 96, qPrintable(field.name()));
        }
    }

    // The main window opens within the screen's free area, also scaled (run again at 1.5 on 1366x768).
    void mainWindowOpensWithinTheScreen()
    {
        setSetting(QStringLiteral("Janelas/Principal"), {});
        ModuleLoader loader(QCoreApplication::applicationDirPath());
        HostMainWindow window(loader);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QRect available = window.screen()->availableGeometry();
        QVERIFY2(available.contains(window.frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4 in %5x%6")
                                .arg(window.frameGeometry().x())
                                .arg(window.frameGeometry().y())
                                .arg(window.frameGeometry().width())
                                .arg(window.frameGeometry().height())
                                .arg(available.width())
                                .arg(available.height())));
        window.close();
        QVERIFY(fx_.activate());
    }

    void shortMessageShowsItsWholeTitle()
    {
        auto recording = Application::instance().ExchangePrompts(std::make_unique<DialogPrompts>());
        int boxWidth = 0;
        int titleWidth = 0;
        QTimer::singleShot(50, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            QFont font = QApplication::font("QMdiSubWindowTitleBar");
            font.setBold(true);
            // The title, the frame's icon and its three buttons.
            titleWidth = QFontMetrics(font).horizontalAdvance(box->windowTitle()) +
                         4 * box->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, box);
            boxWidth = box->width();
            box->accept();
        });
        fx_.click(screen_->medCdFilial);
        F::type(QStringLiteral("9"));
        F::press(Qt::Key_Tab);
        Application::instance().ExchangePrompts(std::move(recording));
        QVERIFY(fx_.activate());
        QVERIFY(titleWidth > 0);
        QVERIFY2(boxWidth >= titleWidth, qPrintable(QStringLiteral("%1 < %2").arg(boxWidth).arg(titleWidth)));
    }

    void importSaysHowManyLinesItAdded()
    {
        const QDate date = importableDate();
        QVERIFY(fx_.showLines(QStringLiteral("1"), date));
        fx_.click(screen_->btnImporta);
        QVERIFY(fx_.activate());
        QCOMPARE(prompts().errors, QStringList());
        QVERIFY2(statusBar().startsWith(QStringLiteral("1 linha importada.")), qPrintable(statusBar()));
        screen_->mnuImpEF->trigger();
        QVERIFY(fx_.activate());
        QVERIFY2(statusBar().startsWith(QStringLiteral("0 linhas importadas.")), qPrintable(statusBar()));
    }

    void gridMenuShowsTheCopyKey()
    {
        const QString key = QKeySequence(QKeySequence::Copy).toString(QKeySequence::NativeText);
        QVERIFY2(screen_->mnuCopiar->text().endsWith(QLatin1Char('\t') + key),
                 qPrintable(screen_->mnuCopiar->text()));
    }
};

QTEST_MAIN(TstMed00418Clerk)
#include "tst_med00418_clerk.moc"
