#include "EConvertError.h"
#include "TDateTime.h"

#include <QTest>
#include <QTimeZone>
#include <cmath>
#include <ctime>
#include <limits>

class TstDateTime : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void oleDate_data();
    void oleDate();
    void fromDateTimeTakesTheWallClock();
    void toDateTimeKeepsTimesSkippedByDaylightSaving();
    void roundsToTheMillisecond_data();
    void roundsToTheMillisecond();
    void invalidValues();
    void isoText_data();
    void isoText();
    void isoTextRefused_data();
    void isoTextRefused();
};

void TstDateTime::initTestCase()
{
    // A zone with daylight saving: conversions must not depend on the machine's local time.
    qputenv("TZ", "Europe/Berlin");
    tzset();
}

void TstDateTime::oleDate_data()
{
    QTest::addColumn<QDateTime>("dateTime");
    QTest::addColumn<double>("oleDate");
    const auto at = [](int y, int m, int d, int h = 0, int min = 0, int s = 0, int ms = 0) {
        return QDateTime(QDate(y, m, d), QTime(h, min, s, ms), Qt::UTC);
    };
    QTest::newRow("epoch") << at(1899, 12, 30) << 0.0;
    QTest::newRow("first of 1900") << at(1900, 1, 1) << 2.0;
    QTest::newRow("billing date") << at(2026, 12, 7) << 46363.0;
    QTest::newRow("with time") << at(2026, 12, 7, 18) << 46363.75;
    QTest::newRow("noon of the epoch") << at(1899, 12, 30, 12) << 0.5;
    // Before the epoch the day counts back, the time of day still forward.
    QTest::newRow("day before the epoch, 06:00") << at(1899, 12, 29, 6) << -1.25;
    QTest::newRow("day before the epoch, 18:00") << at(1899, 12, 29, 18) << -1.75;
    QTest::newRow("long before") << at(1800, 1, 1) << -36522.0;
    QTest::newRow("milliseconds") << at(2000, 1, 1, 0, 0, 0, 500) << 36526.0 + 500.0 / 86400000;
}

void TstDateTime::oleDate()
{
    QFETCH(QDateTime, dateTime);
    QFETCH(double, oleDate);
    QCOMPARE(TDateTime::fromDateTime(dateTime).toOleDate(), oleDate);
    const TDateTime value(oleDate);
    QCOMPARE(value.toDateTime(), dateTime);
    QCOMPARE(value.toDate(), dateTime.date());
    QCOMPARE(value.hasTime(), dateTime.time() != QTime(0, 0));
    QCOMPARE(TDateTime::fromDate(dateTime.date()).toOleDate(), std::trunc(oleDate));
}

void TstDateTime::fromDateTimeTakesTheWallClock()
{
    const QDate date(2026, 12, 7);
    const QTime time(8, 30);
    const TDateTime expected = TDateTime::fromIsoString(u"2026-12-07T08:30:00");
    QCOMPARE(TDateTime::fromDateTime(QDateTime(date, time, Qt::OffsetFromUTC, -3 * 3600)), expected);
    QCOMPARE(TDateTime::fromDateTime(QDateTime(date, time, Qt::LocalTime)), expected);
    QCOMPARE(TDateTime::fromDateTime(QDateTime(date, time, QTimeZone("Asia/Tokyo"))), expected);
}

void TstDateTime::toDateTimeKeepsTimesSkippedByDaylightSaving()
{
    // 02:30 does not exist on that day in Berlin; the stored reading comes back unchanged.
    const TDateTime value = TDateTime::fromIsoString(u"2023-03-26T02:30:00");
    QCOMPARE(value.toDateTime().time(), QTime(2, 30));
    QCOMPARE(value.toDateTime().date(), QDate(2023, 3, 26));
    QCOMPARE(TDateTime::fromDateTime(value.toDateTime()), value);
}

void TstDateTime::roundsToTheMillisecond_data()
{
    QTest::addColumn<double>("oleDate");
    QTest::addColumn<QString>("iso");
    const double ms = 1.0 / 86400000;
    QTest::newRow("below half a millisecond") << 46363.0 + 1000.4 * ms << "2026-12-07T00:00:01";
    QTest::newRow("above half a millisecond") << 46363.0 + 1000.6 * ms << "2026-12-07T00:00:01.001";
    QTest::newRow("rounds up to the next day") << 46363.0 + (86400000 - 0.4) * ms << "2026-12-08";
    QTest::newRow("before the epoch, up to the next day") << -1.0 - (86400000 - 0.4) * ms << "1899-12-30";
}

void TstDateTime::roundsToTheMillisecond()
{
    QFETCH(double, oleDate);
    QFETCH(QString, iso);
    const TDateTime value(oleDate);
    QCOMPARE(value.toIsoString(), iso);
    QCOMPARE(value.toDateTime(), TDateTime::fromIsoString(iso).toDateTime());
    QCOMPARE(value.hasTime(), iso.size() > 10);
}

void TstDateTime::invalidValues()
{
    const TDateTime notANumber(std::numeric_limits<double>::quiet_NaN());
    QVERIFY(!notANumber.toDate().isValid());
    QVERIFY(!notANumber.toDateTime().isValid());
    QVERIFY(notANumber.toIsoString().isEmpty());
    QVERIFY_THROWS_EXCEPTION(EConvertError, TDateTime::fromDate(QDate()));
    QVERIFY_THROWS_EXCEPTION(EConvertError, TDateTime::fromDateTime(QDateTime()));
}

void TstDateTime::isoText_data()
{
    QTest::addColumn<double>("oleDate");
    QTest::addColumn<QString>("iso");
    QTest::newRow("date") << 46363.0 << "2026-12-07";
    QTest::newRow("date and time") << 46363.75 << "2026-12-07T18:00:00";
    QTest::newRow("milliseconds") << 46363.0 + 250.0 / 86400000 << "2026-12-07T00:00:00.250";
    QTest::newRow("before the epoch") << -1.25 << "1899-12-29T06:00:00";
    QTest::newRow("first day") << -693593.0 << "0001-01-01";
    QTest::newRow("last moment") << 2958465.0 + 86399999.0 / 86400000 << "9999-12-31T23:59:59.999";
}

void TstDateTime::isoText()
{
    QFETCH(double, oleDate);
    QFETCH(QString, iso);
    QCOMPARE(TDateTime(oleDate).toIsoString(), iso);
    QCOMPARE(TDateTime::fromIsoString(iso).toOleDate(), oleDate);
}

void TstDateTime::isoTextRefused_data()
{
    QTest::addColumn<QString>("text");
    for (const char* text :
         {"", "2026-12-7", "2026-13-01", "2026-02-30", "0000-01-01", "abcd-ef-gh", "2026/12/07",
          "2026-12-07T24:00:00", "2026-12-07T08:60:00", "2026-12-07T08:30:60", "2026-12-07 08:30:00",
          "2026-12-07T08:30", "2026-12-07T08:30:00.25", "2026-12-07T08:30:00Z", "2026-12-07T08:30:00.2500",
          " 2026-12-07", "+2026-12-07"})
        QTest::newRow(text) << QString::fromLatin1(text);
}

void TstDateTime::isoTextRefused()
{
    QFETCH(QString, text);
    try {
        TDateTime::fromIsoString(text);
        QFAIL("no error raised");
    } catch (const EConvertError& e) {
        QCOMPARE(e.Message(), QStringLiteral("'%1' não é uma data válida.").arg(text));
    }
}

QTEST_APPLESS_MAIN(TstDateTime)
#include "tst_datetime.moc"
