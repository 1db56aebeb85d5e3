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

// The text a line holds in round `round`: one of `distinct` texts, or its own when `distinct` is 0.
QString textFor(int row, int round, int distinct)
{
    if (distinct == 0)
        return QStringLiteral("r%1l%2").arg(round).arg(row);
    return QStringLiteral("t%1").arg((row + round) % distinct);
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

    // Sums read a decimal column without variants: the same values as value(), null as zero, and only
    // from a decimal column.
    void decimalsReadAsStored()
    {
        RecordTable table = RecordTable::fromRecords(fields, {line("00001", 1.5), line("00002", 2)});
        table.insert(1, {QString("00003"), QVariant(), QVariant(), QVariant()});
        table.setValue(2, 2, QVariant::fromValue(Currency::fromDouble(-7.125)));
        QCOMPARE(table.currency(0, 2), Currency::fromDouble(1.5));
        QCOMPARE(table.currency(1, 2), Currency());
        QCOMPARE(table.currency(2, 2), Currency::fromDouble(-7.125));
        for (int column : {0, 1, 3})
            QVERIFY_THROWS_EXCEPTION(EDatabaseError, table.currency(0, column));
    }

    // A reader appends texts straight from UTF-8 or as copies of earlier lines, which then share one
    // stored text: a refused text leaves nothing behind and editing a line leaves the others be.
    void linesAppendedByAReaderStayApart()
    {
        RecordTable table(FieldDefs{fields[0]});
        RecordColumn& codes = table.column(0);
        const auto fits = [](QStringView text) {
            if (text.size() > 5)
                throw EDatabaseError(QStringLiteral("long"));
        };
        codes.appendUtf8("ação", fits);
        codes.appendUtf8("b", fits);
        codes.appendCopyOf(0);
        codes.appendUtf8("ação", fits);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, codes.appendUtf8("açãoção", fits));
        codes.appendNull();
        codes.appendCopyOf(4);
        codes.appendUtf8("ç", fits);
        table.setValue(2, 0, QStringLiteral("c"));
        table.setValue(0, 0, QStringLiteral("d"));
        const QList<Record> expected{
            {"d"}, {"b"}, {"c"}, {QStringLiteral("ação")}, {QVariant()}, {QVariant()}, {QStringLiteral("ç")}};
        QCOMPARE(table.records(), expected);
    }

    // However the column keeps its texts (one stored text shared by many lines, one per line, texts
    // left behind by edits and reclaimed), every edit reaches its own line and no other.
    void editsReachOnlyTheirLine_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("distinct");
        QTest::addColumn<int>("rounds");
        QTest::newRow("few texts, shared") << 60 << 3 << 2;
        QTest::newRow("few texts, many lines") << 3000 << 7 << 3;
        QTest::newRow("every line its own text") << 3000 << 0 << 1;
        QTest::newRow("rewritten until dropped texts are reclaimed") << 3000 << 0 << 4;
    }

    void editsReachOnlyTheirLine()
    {
        QFETCH(int, lines);
        QFETCH(int, distinct);
        QFETCH(int, rounds);
        QList<Record> expected;
        for (int row = 0; row < lines; ++row)
            expected.append(line(textFor(row, 0, distinct), row));
        RecordTable table = RecordTable::fromRecords(fields, expected);
        for (int round = 1; round <= rounds; ++round) {
            for (int row = 0; row < expected.size(); ++row) {
                const QVariant text = row % 11 == 5 ? QVariant() : QVariant(textFor(row, round, distinct));
                table.setValue(row, 0, text);
                expected[row][0] = text;
            }
            table.remove(round);
            expected.removeAt(round);
            table.insert(round * 2, line(textFor(round, round, distinct), round));
            expected.insert(round * 2, line(textFor(round, round, distinct), round));
            QCOMPARE(table.records(), expected);
        }
    }
};

QTEST_GUILESS_MAIN(TstRecordTable)
#include "tst_recordtable.moc"
