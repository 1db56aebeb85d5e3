#include "Application.h"
#include "DialogPrompts.h"
#include "HostMainWindow.h"
#include "HostSettings.h"
#include "MedBuildInfo.h"
#include "ModuleLoader.h"
#include "ScreenTest.h"
#include "TBtnPesquisa.h"

#include <QDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QtTest>

namespace {

// What the host's settings file says about `key` is replaced by `rect` (left by a larger display).
void storePlace(const QString& key, const QRect& rect)
{
    QSettings(HostSettings::filePath(), QSettings::IniFormat).setValue(key, rect);
}

} // namespace

// The host as a desktop application: where it puts its windows.
class TstMed00418Host : public ScreenTest {
    Q_OBJECT

    // The accessible name of the list in the branch's search dialog, opened as the user does.
    QString lookupListName()
    {
        Application::instance().SetPrompts(std::make_unique<DialogPrompts>());
        QString name = QStringLiteral("<no dialog>");
        QTimer::singleShot(0, [&name] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                if (const auto* list = dialog->findChild<QWidget*>(QStringLiteral("list")))
                    name = list->accessibleName();
                dialog->reject();
            }
        });
        fx_.click(screen_->btpFilial);
        fx_.resetPrompts();
        [this] { QVERIFY(fx_.activate()); }();
        return name;
    }

    QMdiSubWindow* window() const { return qobject_cast<QMdiSubWindow*>(screen_->parentWidget()); }

private slots:
    void screenOpensWhereItWasLeft_data()
    {
        QTest::addColumn<QRect>("left");     // where the user put it
        QTest::addColumn<QRect>("stored");   // overrides the settings after closing; null: as saved
        QTest::addColumn<QRect>("expected"); // null: where the screen opens the first time
        const QRect moved(30, 20, 560, 330);
        QTest::newRow("moved and resized") << moved << QRect() << moved;
        QTest::newRow("off the host's area") << moved << QRect(5000, 4000, 560, 330) << QRect(0, 0, 560, 330);
        // Left by a host that went down while the screen was minimised.
        QTest::newRow("minimised strip") << moved << QRect(0, 635, 196, 24) << QRect();
    }

    void screenOpensWhereItWasLeft()
    {
        QFETCH(QRect, left);
        QFETCH(QRect, stored);
        QFETCH(QRect, expected);
        if (expected.isNull())
            expected = window()->geometry();
        window()->setGeometry(left);
        QCOMPARE(window()->geometry(), left);
        tester_.reset();
        QVERIFY(fx_.closeScreen());
        if (!stored.isNull())
            storePlace(QStringLiteral("Janelas/frmMediEfeti"), stored);
        screen_ = fx_.openScreen(true);
        QVERIFY(screen_);
        QVERIFY(fx_.activate());
        QTRY_COMPARE(window()->geometry(), expected);
    }

    // What the settings file holds at any moment is what the next start gets, should the host go down.
    void onlyTheScreensNormalPlaceIsSaved_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::newRow("minimised and restored") << "min normal";
        QTest::newRow("maximised and restored") << "max normal";
        QTest::newRow("minimised, maximised, restored") << "min max normal";
        QTest::newRow("left minimised") << "min";
        QTest::newRow("left maximised") << "max";
    }

    void onlyTheScreensNormalPlaceIsSaved()
    {
        QFETCH(QString, steps);
        const QRect left(30, 20, 560, 330);
        window()->setGeometry(left);
        const QString key = QStringLiteral("Janelas/frmMediEfeti");
        for (const QString& step : steps.split(QLatin1Char(' '))) {
            if (step == QLatin1String("min"))
                window()->showMinimized();
            else if (step == QLatin1String("max"))
                window()->showMaximized();
            else
                window()->showNormal();
            QVERIFY(fx_.activate());
            const QRect stored =
                QSettings(HostSettings::filePath(), QSettings::IniFormat).value(key).toRect();
            QVERIFY2(stored.isNull() || stored == left, qPrintable(step));
        }
        tester_.reset();
        QVERIFY(fx_.closeScreen());
        screen_ = fx_.openScreen(true);
        QVERIFY(screen_);
        QVERIFY(fx_.activate());
        QTRY_COMPARE(window()->geometry(), left);
    }

    void mainWindowOpensWhereItWasLeft_data()
    {
        QTest::addColumn<QRect>("left");
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<bool>("whereLeft"); // else at the top-left of the first screen
        const QRect moved(40, 30, 520, 360);
        QTest::newRow("moved and resized") << moved << QRect() << true;
        QTest::newRow("off every screen") << moved << QRect(9000, 7000, 520, 360) << false;
    }

    void mainWindowOpensWhereItWasLeft()
    {
        QFETCH(QRect, left);
        QFETCH(QRect, stored);
        QFETCH(bool, whereLeft);
        ModuleLoader loader(QCoreApplication::applicationDirPath());
        {
            HostMainWindow first(loader);
            first.show();
            first.setGeometry(left);
            QCOMPARE(first.geometry(), left);
            QVERIFY(first.close());
        }
        if (!stored.isNull())
            storePlace(QStringLiteral("Janelas/Principal"), stored);
        const HostMainWindow second(loader);
        const QPoint screenCorner = QGuiApplication::primaryScreen()->availableGeometry().topLeft();
        QCOMPARE(second.geometry(), QRect(whereLeft ? left.topLeft() : screenCorner, left.size()));
        QVERIFY(fx_.activate());
    }

    void iconsAndListsHaveAccessibleNames_data()
    {
        QTest::addColumn<QString>("widget"); // object name; "dialog/NAME" in a search list of the lines
        for (const char* name : {"sbtIncluir", "sbtAlterar", "sbtExcluir", "sbtConfirmar", "sbtCancelar",
                                 "sbtProcurar", "sbtImprimir", "sbtFechar", "btnImporta", "btpFilial",
                                 "calendarButton", "dbgData", "cellEditorButton", "dialog/list"})
            QTest::newRow(name) << name;
        QTest::newRow("cell editor") << "";
    }

    void iconsAndListsHaveAccessibleNames()
    {
        QFETCH(QString, widget);
        QString name = QStringLiteral("<not found>");
        if (widget == QLatin1String("dialog/list"))
            name = lookupListName();
        else if (const QWidget* found = widget.isEmpty() ? grid()->viewport()->findChild<QLineEdit*>()
                                                         : screen_->findChild<QWidget*>(widget))
            name = found->accessibleName();
        QVERIFY2(!name.trimmed().isEmpty(), qPrintable(widget));
        QVERIFY(!name.startsWith(QLatin1Char('<')));
    }

    void answersWithoutADisplay_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("printed"); // a line of what it prints
        const QString version = QStringLiteral("med_host " MED_VERSION);
        QTest::newRow("--version") << "--version" << version;
        QTest::newRow("-v") << "-v" << version;
        QTest::newRow("--help")
            << "--help"
            << "  --open <módulo>       Abre um módulo ao iniciar, por exemplo Pkg_med00418.";
        QTest::newRow("-h") << "-h"
                            << "  --settings <arquivo>  Arquivo de configurações (INI).";
        QTest::newRow("--help, its own lines") << "--help"
                                               << "  -h, --help            Mostra esta ajuda.";
        QTest::newRow("--help, usage") << "--help"
                                       << "Uso: med_host [opções]";
    }

    void answersWithoutADisplay()
    {
        QFETCH(QString, argument);
        QFETCH(QString, printed);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("LANG"), QStringLiteral("pt_BR.UTF-8"));
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("pt_BR.UTF-8"));
        QProcess host;
        host.setProcessEnvironment(environment);
        host.start(QCoreApplication::applicationDirPath() + QStringLiteral("/med_host"), {argument});
        QVERIFY(host.waitForFinished(30000));
        QCOMPARE(host.exitStatus(), QProcess::NormalExit);
        QCOMPARE(host.exitCode(), 0);
        const QStringList lines = QString::fromUtf8(host.readAllStandardOutput()).split(QLatin1Char('\n'));
        QVERIFY2(lines.contains(printed), qPrintable(lines.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(TstMed00418Host)
#include "tst_med00418_host.moc"
