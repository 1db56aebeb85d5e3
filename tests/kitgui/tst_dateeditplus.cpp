#include "Application.h"
#include "EConvertError.h"
#include "Exception.h"
#include "RecordingPrompts.h"
#include "TDateEditPlus.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A window with the date edit between two plain edits, shown and active.
struct Window {
    QWidget top;
    QLineEdit* before = new QLineEdit(&top);
    TDateEditPlus* date = new TDateEditPlus(&top);
    QLineEdit* after = new QLineEdit(&top);

    Window()
    {
        auto* layout = new QVBoxLayout(&top);
        layout->addWidget(before);
        layout->addWidget(date);
        layout->addWidget(after);
        date->setMinimumWidth(180);
    }
    bool showActive()
    {
        top.show();
        top.activateWindow();
        return QTest::qWaitForWindowActive(&top);
    }
};

QString convertMessage(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EConvertError& error) {
        return error.Message();
    }
    return {};
}

} // namespace

class TestDateEditPlus : public QObject {
    Q_OBJECT

    RecordingPrompts* prompts = nullptr;

private slots:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        auto owned = std::make_unique<RecordingPrompts>();
        prompts = owned.get();
        Application::instance().SetPrompts(std::move(owned));
    }

    void texts_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QDate>("date"); // invalid: not a date
        QTest::addColumn<QString>("weekday");
        QTest::newRow("sunday") << "01/02/2026"
                                << "01/02/2026" << QDate(2026, 2, 1) << "Domingo";
        QTest::newRow("short form") << "2/2/26"
                                    << "02/02/2026" << QDate(2026, 2, 2) << "Segunda";
        QTest::newRow("leap day") << "29/02/2024"
                                  << "29/02/2024" << QDate(2024, 2, 29) << "Quinta";
        QTest::newRow("saturday") << "28/02/2026"
                                  << "28/02/2026" << QDate(2026, 2, 28) << "Sábado";
        QTest::newRow("no such day") << "31/02/2026"
                                     << "31/02/2026" << QDate() << "";
        QTest::newRow("month 13") << "01/13/2026"
                                  << "01/13/2026" << QDate() << "";
    }

    void texts()
    {
        QFETCH(QString, given);
        QFETCH(QString, shown);
        QFETCH(QDate, date);
        QFETCH(QString, weekday);
        TDateEditPlus edit;
        edit.SetText(given);
        QCOMPARE(edit.Text(), shown);
        QCOMPARE(edit.WeekdayName(), weekday);
        QCOMPARE(edit.toolTip(), weekday);
        if (date.isValid()) {
            QCOMPARE(edit.GetDate(), TDateTime::fromDate(date));
            edit.CheckValidDate();
            QCOMPARE(edit.palette().color(QPalette::Text), QColor(Qt::blue));
        } else {
            const QString message = QStringLiteral("'%1' não é uma data válida.").arg(shown);
            QCOMPARE(convertMessage([&] { edit.CheckValidDate(); }), message);
            QCOMPARE(convertMessage([&] { edit.GetDate(); }), message);
            QCOMPARE(edit.palette().color(QPalette::Text), QPalette().color(QPalette::Text));
        }
    }

    void emptyDate()
    {
        TDateEditPlus edit;
        QCOMPARE(edit.Text(), QString());
        edit.CheckValidDate(); // the screen decides whether a date is required
        QCOMPARE(convertMessage([&] { edit.GetDate(); }), QStringLiteral("Data não informada."));
        edit.SetText(QStringLiteral("01/02/2026"));
        edit.SetText(QStringLiteral("  /  /    "));
        QCOMPARE(edit.Text(), QString());
        QCOMPARE(edit.WeekdayName(), QString());
    }

    void ownWeekdayNamesAndColour()
    {
        TDateEditPlus edit;
        edit.SetNomeSemana({"D", "S", "T", "Q", "Q", "S", "Sáb"});
        edit.SetValidDateColor(Qt::darkGreen);
        edit.SetText(QStringLiteral("28/02/2026"));
        QCOMPARE(edit.WeekdayName(), QStringLiteral("Sáb"));
        QCOMPARE(edit.palette().color(QPalette::Text), QColor(Qt::darkGreen));
        QVERIFY_THROWS_EXCEPTION(Exception, edit.SetNomeSemana({"Domingo"}));
        edit.SetColor(QColor(255, 255, 225));
        QCOMPARE(edit.Color(), QColor(255, 255, 225));
    }

    void dateWithoutAndWithTime()
    {
        TDateEditPlus edit;
        const TDateTime noon = TDateTime::fromDateTime(QDateTime(QDate(2026, 3, 4), QTime(12, 0)));
        edit.SetDate(noon);
        QCOMPARE(edit.Text(), QStringLiteral("04/03/2026"));
        QCOMPARE(edit.GetDate(), TDateTime::fromDate(QDate(2026, 3, 4)));
        edit.SetSaveTime(true);
        QCOMPARE(edit.GetDate(), noon);
    }

    void typedDigitsFillTheMask()
    {
        Window w;
        QVERIFY(w.showActive());
        w.before->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.date);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("0702"));
        QCOMPARE(w.date->WeekdayName(), QString());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("26"));
        QCOMPARE(w.date->Text(), QStringLiteral("07/02/26"));
        QCOMPARE(w.date->GetDate(), TDateTime::fromDate(QDate(2026, 2, 7)));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("xx"));
        QCOMPARE(w.date->Text(), QStringLiteral("07/02/26")); // letters refused
    }

    void tabSelectsTheDate()
    {
        Window w;
        QVERIFY(w.showActive());
        w.date->SetText(QStringLiteral("01/02/2026"));
        w.before->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(w.date->selectedText(), QStringLiteral("01/02/2026"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("15032026"));
        QCOMPARE(w.date->Text(), QStringLiteral("15/03/2026"));
    }

    void enterChangeExitEvents()
    {
        Window w;
        QStringList seen;
        w.date->OnEnter = [&](QObject* sender) { seen << (sender == w.date ? "enter" : "?"); };
        w.date->OnChange = [&](QObject* sender) { seen << (sender == w.date ? "change" : "?"); };
        w.date->OnExit = [&](QObject* sender) { seen << (sender == w.date ? "exit" : "?"); };
        QVERIFY(w.showActive());
        w.before->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.after);
        QCOMPARE(seen, (QStringList{"enter", "change", "exit"}));
    }

    void invalidDateOnExitIsShownAndKeepsTheFocus()
    {
        Window w;
        w.date->OnExit = [&](QObject*) { w.date->CheckValidDate(); };
        QVERIFY(w.showActive());
        w.date->setFocus();
        w.date->SetText(QStringLiteral("31/02/2026"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(prompts->calls, QStringList{QStringLiteral("error:'31/02/2026' não é uma data válida.")});
        QCOMPARE(QApplication::focusWidget(), w.date);
    }

    void calendarChoiceByKeys()
    {
        Window w;
        int changes = 0;
        int exits = 0;
        w.date->OnChange = [&](QObject*) { ++changes; };
        w.date->OnExit = [&](QObject*) { ++exits; };
        QVERIFY(w.showActive());
        w.date->SetText(QStringLiteral("01/02/2026"));
        changes = 0;
        w.date->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4);
        QCalendarWidget* calendar = w.date->Calendar();
        QVERIFY(calendar);
        QCOMPARE(calendar->selectedDate(), QDate(2026, 2, 1));
        QVERIFY(calendar->isAncestorOf(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(!w.date->Calendar());
        QCOMPARE(w.date->Text(), QStringLiteral("09/02/2026"));
        QCOMPARE(w.date->WeekdayName(), QStringLiteral("Segunda"));
        QCOMPARE(QApplication::focusWidget(), w.date);
        QVERIFY(changes > 0);
        QCOMPARE(exits, 0); // the calendar is part of the control
    }

    void calendarEscapeKeepsTheDate()
    {
        Window w;
        QVERIFY(w.showActive());
        w.date->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down, Qt::AltModifier);
        QVERIFY(w.date->Calendar());
        QCOMPARE(w.date->Calendar()->selectedDate(), QDate::currentDate());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!w.date->Calendar());
        QCOMPARE(w.date->Text(), QString());
        QCOMPARE(QApplication::focusWidget(), w.date);
    }

    void calendarButtonTakesNoFocus()
    {
        Window w;
        QVERIFY(w.showActive());
        auto* button = w.date->findChild<QWidget*>(QStringLiteral("calendarButton"));
        QVERIFY(button);
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        w.date->SetButtonBitmap(QPixmap(16, 16));
        QCOMPARE(w.date->ButtonBitmap().size(), QSize(16, 16));
    }
};

QTEST_MAIN(TestDateEditPlus)
#include "tst_dateeditplus.moc"
