#include "Application.h"
#include "EConvertError.h"
#include "TDateEditPlus.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

namespace {

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

    std::unique_ptr<QWidget> window;
    QLineEdit* before = nullptr;
    TDateEditPlus* date = nullptr;

    QLabel* weekdayLabel() const { return window->findChild<QLabel*>(QStringLiteral("weekday")); }
    void typeInto(const QString& keys) { QTest::keyClicks(QApplication::focusWidget(), keys); }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }

private slots:
    void init()
    {
        // Placed as the screen places its controls.
        window = std::make_unique<QWidget>();
        window->resize(300, 80);
        before = new QLineEdit(window.get());
        before->setGeometry(10, 8, 100, 21);
        date = new TDateEditPlus(window.get());
        date->setGeometry(10, 36, 100, 21);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    void cleanup() { window.reset(); }

    void validDates_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QDate>("value");
        QTest::addColumn<QString>("weekday");
        QTest::newRow("sunday") << "01/02/2026"
                                << "01/02/2026" << QDate(2026, 2, 1) << "Domingo";
        QTest::newRow("short form") << "2/2/26"
                                    << "02/02/2026" << QDate(2026, 2, 2) << "Segunda";
        QTest::newRow("leap day") << "29/02/2024"
                                  << "29/02/2024" << QDate(2024, 2, 29) << "Quinta";
        QTest::newRow("saturday") << "28/02/2026"
                                  << "28/02/2026" << QDate(2026, 2, 28) << "Sábado";
    }

    void validDates()
    {
        QFETCH(QString, given);
        QFETCH(QString, shown);
        QFETCH(QDate, value);
        QFETCH(QString, weekday);
        date->SetText(given);
        QCOMPARE(date->Text(), shown);
        QCOMPARE(date->WeekdayName(), weekday);
        QCOMPARE(weekdayLabel()->text(), weekday);
        QVERIFY(weekdayLabel()->isVisible());
        QVERIFY(weekdayLabel()->x() > date->geometry().right());
        QCOMPARE(date->GetDate(), TDateTime::fromDate(value));
        QCOMPARE(date->palette().color(QPalette::Text), QColor(Qt::blue));
        date->CheckValidDate();
    }

    void invalidDates()
    {
        date->SetText(QStringLiteral("31/02/2026"));
        const QString message = QStringLiteral("'31/02/2026' não é uma data válida.");
        QCOMPARE(convertMessage([&] { date->CheckValidDate(); }), message);
        QCOMPARE(convertMessage([&] { date->GetDate(); }), message);
        QCOMPARE(date->WeekdayName(), QString());
        QVERIFY(!weekdayLabel()->isVisible());
        QVERIFY(date->palette().color(QPalette::Text) != QColor(Qt::blue));
    }

    void emptyDate()
    {
        date->SetText(QStringLiteral("01/02/2026"));
        date->SetText(QString());
        QCOMPARE(date->Text(), QString());
        date->CheckValidDate(); // whether a date is required is the screen's rule
        QCOMPARE(convertMessage([&] { date->GetDate(); }), QStringLiteral("Data não informada."));
    }

    void typedDigitsFillTheMask()
    {
        before->setFocus();
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), date);
        typeInto(QStringLiteral("0702"));
        QCOMPARE(date->WeekdayName(), QString());
        typeInto(QStringLiteral("26xx"));
        QCOMPARE(date->Text(), QStringLiteral("07/02/26"));
        QCOMPARE(date->GetDate(), TDateTime::fromDate(QDate(2026, 2, 7)));
        QCOMPARE(date->WeekdayName(), QStringLiteral("Sábado"));
    }

    void calendarChoiceByKeys()
    {
        int exits = 0;
        date->OnExit = [&](QObject*) { ++exits; };
        date->setFocus();
        press(Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(date->Calendar()->selectedDate(), QDate::currentDate());
        press(Qt::Key_Escape);
        QVERIFY(!date->Calendar());
        QCOMPARE(QApplication::focusWidget(), date);

        date->SetText(QStringLiteral("01/02/2026"));
        press(Qt::Key_F4);
        QCalendarWidget* calendar = date->Calendar();
        QVERIFY(calendar);
        QCOMPARE(calendar->selectedDate(), QDate(2026, 2, 1));
        QVERIFY(calendar->isAncestorOf(QApplication::focusWidget()));
        press(Qt::Key_Right);
        press(Qt::Key_Down);
        press(Qt::Key_Return);
        QVERIFY(!date->Calendar());
        QCOMPARE(date->Text(), QStringLiteral("09/02/2026"));
        QCOMPARE(QApplication::focusWidget(), date);
        QCOMPARE(exits, 0); // the calendar is part of the control
    }
};

QTEST_MAIN(TestDateEditPlus)
#include "tst_dateeditplus.moc"
