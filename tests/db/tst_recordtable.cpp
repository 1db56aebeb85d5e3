#include "EDatabaseError.h"
#include "RecordTable.h"

#include <QtTest>

namespace {

const FieldDefs fields = {{"CODE", TFieldType::ftString, 5, 0, 0, ""},
                          {"DAY", TFieldType::ftDateTime, 0, 0, 0, ""},
                          {"STAFF", TFieldType::ftBCD, 0, 10, 3, ""},
                          {"RATIO", TFieldType::ftFloat, 0, 0, 0, ""}};

Record line(const QVariant& code, double staff)
{
    return {code, QVariant::fromValue(TDateTime::fromDate(QDate(2026, 12, 7))),
            QVariant::fromValue(Currency::fromDouble(staff)), QVariant(staff / 2)};
}

} // namespace

class TstRecordTable : public QObject {
    Q_OBJECT

private slots:
    void linesStayWholeAsTheyComeAndGo()
    {
        RecordTable table = RecordTable::fromRecords(fields, {line("00001", 1), line("00003", 3)});
        table.insert(1, line("00002", 2));
        table.append({QString(""), QVariant(), QVariant(), QVariant()});
        table.append(line(QVariant(), 5));
        table.remove(0);
        table.setValue(0, 3, QVariant());

        QCOMPARE(table.rowCount(), 4);
        QCOMPARE(table.record(0), Record({"00002", line("", 2)[1], line("", 2)[2], QVariant()}));
        QCOMPARE(table.record(1), line("00003", 3));
        // An empty text and a null stay apart, in every kind of column.
        QCOMPARE(table.value(2, 0), QVariant(QString("")));
        QVERIFY(!table.value(2, 1).isValid());
        QVERIFY(!table.value(2, 2).isValid());
        QVERIFY(!table.value(3, 0).isValid());
        QCOMPARE(table.value(3, 2).value<Currency>(), Currency::fromInt(5));
    }

    void valueOfTheWrongKindChangesNothing()
    {
        RecordTable table = RecordTable::fromRecords(fields, {line("00001", 1)});
        Record wrong = line("00002", 2);
        wrong[2] = QVariant(2.0); // a double where the column holds fixed point
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, table.setRecord(0, wrong));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, table.insert(0, wrong));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, table.append(Record{"00002"}));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, table.setValue(0, 0, QVariant(7)));
        QCOMPARE(table.rowCount(), 1);
        QCOMPARE(table.record(0), line("00001", 1));
    }
};

QTEST_GUILESS_MAIN(TstRecordTable)
#include "tst_recordtable.moc"
