// Rows read in place on SQLite read exactly as Qt's driver reads them: every storage class, odd
// texts and dates, each column read both ways from the same real database file.
#include "Database.h"
#include "DatabaseSpec.h"
#include "SqlDialect.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

class DatabaseRowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void readsAsTheDriverReads_data();
    void readsAsTheDriverReads();
    void boundValuesSelectTheSameRows_data();
    void boundValuesSelectTheSameRows();

private:
    QTemporaryDir dir_;
    std::unique_ptr<Database> db_;
};

void DatabaseRowTest::initTestCase()
{
    QVERIFY(dir_.isValid());
    db_ = std::make_unique<Database>(DatabaseSpec::parse(dir_.filePath(QStringLiteral("rows.db"))));
    db_->execDirect(QStringLiteral("CREATE TABLE T (K INTEGER PRIMARY KEY, V, D TEXT, N INTEGER)"));
}

void DatabaseRowTest::readsAsTheDriverReads_data()
{
    QTest::addColumn<QString>("stored"); // an SQL literal
    QTest::newRow("ascii text") << "'0001'";
    QTest::newRow("accents") << "'Serviço de Conservação nº 1'";
    QTest::newRow("outside the BMP") << "'limpeza 🧹 ok'";
    QTest::newRow("empty text") << "''";
    QTest::newRow("null") << "NULL";
    QTest::newRow("integer") << "1234567890123";
    QTest::newRow("negative integer") << "-45000";
    QTest::newRow("real") << "2345.675";
    QTest::newRow("blob") << "X'00ff41'";
    QTest::newRow("stored date") << "'2030-06-01'";
    QTest::newRow("date and time") << "'2030-06-01T10:20:30'";
    QTest::newRow("month 13") << "'2030-13-01'";
    QTest::newRow("day 31 of June") << "'2030-06-31'";
    QTest::newRow("year zero") << "'0000-01-01'";
    QTest::newRow("short date") << "'2030-6-1'";
    QTest::newRow("signs in the digits") << "'+030-06-01'";
    QTest::newRow("not a date") << "'amanhã mesmo'";
}

void DatabaseRowTest::readsAsTheDriverReads()
{
    QFETCH(QString, stored);
    db_->execDirect(QStringLiteral("DELETE FROM T"));
    db_->execDirect(QStringLiteral("INSERT INTO T VALUES (1, %1, %1, %1)").arg(stored));
    const QString sql = QStringLiteral("SELECT V, D, N FROM T WHERE K = ?");
    QVariantList driver;
    db_->select(sql, {1}, [&](const QSqlQuery& q) {
        for (int column = 0; column < 3; ++column)
            driver << q.value(column);
    });
    QCOMPARE(driver.size(), 3);
    const SqlDialect dialect(DatabaseSpec::Kind::Sqlite);
    int rows = 0;
    db_->selectRows(sql, {1}, [&](const DatabaseRow& row) {
        ++rows;
        for (int column = 0; column < 3; ++column) {
            const QVariant& expected = driver[column];
            QCOMPARE(row.isNull(column), expected.isNull());
            QCOMPARE(row.text(column), expected.isNull() ? QVariant() : QVariant(expected.toString()));
            QCOMPARE(row.value(column).isNull(), expected.isNull());
            if (!expected.isNull())
                QCOMPARE(row.value(column), expected);
            QCOMPARE(row.date(column), dialect.fromDate(expected));
            QCOMPARE(dialect.fromDecimal(row.value(column)), dialect.fromDecimal(expected));
        }
    });
    QCOMPARE(rows, 1);
}

void DatabaseRowTest::boundValuesSelectTheSameRows_data()
{
    QTest::addColumn<QVariant>("bound");
    QTest::newRow("text") << QVariant(QStringLiteral("Conservação"));
    QTest::newRow("null text") << QVariant(QString());
    QTest::newRow("invalid") << QVariant();
    QTest::newRow("integer") << QVariant(qint64(-45000));
    QTest::newRow("int") << QVariant(7);
    QTest::newRow("real") << QVariant(2345.675);
    QTest::newRow("digits as text") << QVariant(QStringLiteral("7"));
}

void DatabaseRowTest::boundValuesSelectTheSameRows()
{
    QFETCH(QVariant, bound);
    db_->execDirect(QStringLiteral("DELETE FROM T"));
    db_->execDirect(
        QStringLiteral("INSERT INTO T VALUES (1, 'Conservação', '7', 7), (2, -45000, NULL, NULL), "
                       "(3, 2345.675, 'x', 7.0), (4, NULL, '', 0)"));
    // Equality, IS and the type SQLite sees: each depends on how the value was bound.
    const QString sql =
        QStringLiteral("SELECT K, typeof(?) FROM T WHERE V = ? OR D IS ? OR N = ? ORDER BY K");
    const QVariantList values{bound, bound, bound, bound};
    QStringList driver;
    db_->select(sql, values,
                [&](const QSqlQuery& q) { driver << q.value(0).toString() + q.value(1).toString(); });
    QStringList native;
    db_->selectRows(sql, values, [&](const DatabaseRow& row) {
        native << row.text(0).toString() + row.text(1).toString();
    });
    QCOMPARE(native, driver);
}

QTEST_GUILESS_MAIN(DatabaseRowTest)
#include "tst_appserver_databaserow.moc"
