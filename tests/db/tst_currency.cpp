#include "Currency.h"
#include "EConvertError.h"
#include "ERangeError.h"

#include <QLocale>
#include <QTest>
#include <limits>

namespace {

constexpr qint64 MaxTicks = std::numeric_limits<qint64>::max();
constexpr qint64 MinTicks = std::numeric_limits<qint64>::min();

Currency dec(const QString& text)
{
    return Currency::parse(text);
}

template <typename Error, typename Action> QString errorOf(Action action)
{
    try {
        action();
    } catch (const Error& e) {
        return e.Message();
    }
    return QStringLiteral("<nothing raised>");
}

QLocale brazil()
{
    return QLocale(QLocale::Portuguese, QLocale::Brazil);
}

} // namespace

class TstCurrency : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void parseRefuses_data();
    void parseRefuses();
    void parseLocale_data();
    void parseLocale();
    void parseLocaleRefuses_data();
    void parseLocaleRefuses();
    void canonicalText_data();
    void canonicalText();
    void localeText_data();
    void localeText();
    void fromInt();
    void fromDouble_data();
    void fromDouble();
    void fromDoubleRefuses();
    void product_data();
    void product();
    void productOutOfRange_data();
    void productOutOfRange();
    void sumAndDifference();
    void roundedTo_data();
    void roundedTo();
    void roundedToRefuses();
    void integerDigits_data();
    void integerDigits();
};

void TstCurrency::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("ticks");
    QTest::newRow("zero") << "0" << 0LL;
    QTest::newRow("fraction") << "12.5" << 125000LL;
    QTest::newRow("negative") << "-1234.5678" << -12345678LL;
    QTest::newRow("plus sign") << "+3" << 30000LL;
    QTest::newRow("leading zeros") << "007.10" << 71000LL;
    QTest::newRow("minus zero") << "-0" << 0LL;
    QTest::newRow("half rounds to even, down") << "0.00005" << 0LL;
    QTest::newRow("half rounds to even, up") << "0.00015" << 2LL;
    QTest::newRow("half of even stays") << "0.00025" << 2LL;
    QTest::newRow("past half rounds up") << "0.000250001" << 3LL;
    QTest::newRow("below half rounds down") << "0.00034999" << 3LL;
    QTest::newRow("negative half") << "-0.00015" << -2LL;
    QTest::newRow("largest") << "922337203685477.5807" << MaxTicks;
    QTest::newRow("smallest") << "-922337203685477.5808" << MinTicks;
}

void TstCurrency::parse()
{
    QFETCH(QString, text);
    QFETCH(qint64, ticks);
    QCOMPARE(Currency::parse(text).raw(), ticks);
}

void TstCurrency::parseRefuses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const QString invalid = QStringLiteral("'%1' não é um valor decimal válido.");
    const QString tooLarge = QStringLiteral("'%1' está fora do intervalo dos valores decimais.");
    for (const char* text :
         {"", "abc", "1.2.3", "1e5", " 1", "1 ", "1.", ".5", "-", "1,5", "12a", "--1", "0x10"})
        QTest::newRow(text) << QString::fromLatin1(text) << invalid.arg(QLatin1StringView(text));
    for (const char* text : {"922337203685477.5808", "-922337203685477.5809", "99999999999999999999999999"})
        QTest::newRow(text) << QString::fromLatin1(text) << tooLarge.arg(QLatin1StringView(text));
    // Rounding the fifth decimal may carry past the largest value.
    QTest::newRow("rounds past the largest")
        << "922337203685477.58075" << tooLarge.arg("922337203685477.58075");
}

void TstCurrency::parseRefuses()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    QCOMPARE(errorOf<EConvertError>([&] { Currency::parse(text); }), message);
}

void TstCurrency::parseLocale_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("ticks");
    QTest::newRow("pt_BR grouped") << brazil() << "1.234,5" << 12345000LL;
    QTest::newRow("pt_BR two groups, negative") << brazil() << "-1.234.567,89" << -12345678900LL;
    QTest::newRow("pt_BR plain") << brazil() << "1234,5" << 12345000LL;
    QTest::newRow("pt_BR no integer digits") << brazil() << ",5" << 5000LL;
    QTest::newRow("pt_BR surrounding spaces") << brazil() << " 12,5 " << 125000LL;
    QTest::newRow("pt_BR fifth decimal") << brazil() << "0,00015" << 2LL;
    QTest::newRow("C grouped") << QLocale::c() << "1,234.5" << 12345000LL;
    QTest::newRow("C plain") << QLocale::c() << "-0.0002" << -2LL;
}

void TstCurrency::parseLocale()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(qint64, ticks);
    QCOMPARE(Currency::parse(text, locale).raw(), ticks);
}

void TstCurrency::parseLocaleRefuses_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    // A misplaced group separator is a typing slip, not a thousand.
    QTest::newRow("pt_BR point as decimal") << brazil() << "1.5";
    QTest::newRow("pt_BR short group") << brazil() << "1.23,5";
    QTest::newRow("pt_BR long first group") << brazil() << "1234.567";
    QTest::newRow("pt_BR two decimal separators") << brazil() << "1,2,3";
    QTest::newRow("pt_BR letters") << brazil() << "12a";
    QTest::newRow("pt_BR empty") << brazil() << "";
    QTest::newRow("pt_BR separator alone") << brazil() << ",";
    QTest::newRow("C leading group") << QLocale::c() << ",123";
    QTest::newRow("C out of range") << QLocale::c() << "1,000,000,000,000,000";
}

void TstCurrency::parseLocaleRefuses()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    const QString message = errorOf<EConvertError>([&] { Currency::parse(text, locale); });
    QVERIFY2(message.startsWith(QLatin1Char('\'') + text + QLatin1Char('\'')), qPrintable(message));
}

void TstCurrency::canonicalText_data()
{
    QTest::addColumn<qint64>("ticks");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0LL << "0";
    QTest::newRow("integer") << 30000LL << "3";
    QTest::newRow("trailing zeros dropped") << 125000LL << "12.5";
    QTest::newRow("small negative") << -2LL << "-0.0002";
    QTest::newRow("all decimals") << 12345678LL << "1234.5678";
    QTest::newRow("largest") << MaxTicks << "922337203685477.5807";
    QTest::newRow("smallest") << MinTicks << "-922337203685477.5808";
}

void TstCurrency::canonicalText()
{
    QFETCH(qint64, ticks);
    QFETCH(QString, text);
    QCOMPARE(Currency::fromRaw(ticks).toString(), text);
    QCOMPARE(Currency::parse(text).raw(), ticks);
}

void TstCurrency::localeText_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<bool>("grouping");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::newRow("C grouped") << "1234.5" << 3 << true << QLocale::c() << "1,234.500";
    QTest::newRow("pt_BR grouped") << "1234.5" << 3 << true << brazil() << "1.234,500";
    QTest::newRow("pt_BR plain") << "1234.5" << 3 << false << brazil() << "1234,500";
    QTest::newRow("pt_BR negative") << "-1234567.5" << 2 << true << brazil() << "-1.234.567,50";
    QTest::newRow("half to even, down") << "0.0125" << 3 << false << QLocale::c() << "0.012";
    QTest::newRow("half to even, up") << "0.0135" << 3 << false << QLocale::c() << "0.014";
    QTest::newRow("no decimals, half down") << "2.5" << 0 << false << QLocale::c() << "2";
    QTest::newRow("no decimals, half up") << "3.5" << 0 << false << QLocale::c() << "4";
    QTest::newRow("negative rounding to zero has no sign")
        << "-0.0004" << 3 << false << QLocale::c() << "0.000";
    QTest::newRow("largest rounded up")
        << "922337203685477.5807" << 0 << true << QLocale::c() << "922,337,203,685,478";
    QTest::newRow("smallest") << "-922337203685477.5808" << 4 << false << QLocale::c()
                              << "-922337203685477.5808";
}

void TstCurrency::localeText()
{
    QFETCH(QString, value);
    QFETCH(int, decimals);
    QFETCH(bool, grouping);
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QCOMPARE(dec(value).toString(decimals, grouping, locale), text);
}

void TstCurrency::fromInt()
{
    QCOMPARE(Currency::fromInt(5).raw(), 50000);
    QCOMPARE(Currency::fromInt(922337203685477).toString(), QStringLiteral("922337203685477"));
    QCOMPARE(Currency::fromInt(-922337203685477).toString(), QStringLiteral("-922337203685477"));
    QCOMPARE(errorOf<ERangeError>([] { Currency::fromInt(922337203685478); }),
             QStringLiteral("Valor fora do intervalo: 922337203685478."));
    QVERIFY_THROWS_EXCEPTION(ERangeError, Currency::fromInt(-922337203685478));
}

void TstCurrency::fromDouble_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("ticks");
    QTest::newRow("fraction") << 12.5 << 125000LL;
    QTest::newRow("one tick") << -0.0001 << -1LL;
    QTest::newRow("binary tenth") << 0.1 << 1000LL;
    // 1/32 and 3/32 are exact doubles sitting on half a tick.
    QTest::newRow("exact half to even, down") << 0.03125 << 312LL;
    QTest::newRow("exact half to even, up") << 0.09375 << 938LL;
    QTest::newRow("negative exact half") << -0.03125 << -312LL;
    QTest::newRow("tiny") << 1e-30 << 0LL;
    QTest::newRow("large") << 922337203685477.0 << 9223372036854770000LL;
    QTest::newRow("largest double below the limit") << 922337203685477.5 << 9223372036854775000LL;
}

void TstCurrency::fromDouble()
{
    QFETCH(double, value);
    QFETCH(qint64, ticks);
    QCOMPARE(Currency::fromDouble(value).raw(), ticks);
}

void TstCurrency::fromDoubleRefuses()
{
    QVERIFY_THROWS_EXCEPTION(ERangeError, Currency::fromDouble(922337203685477.6));
    QVERIFY_THROWS_EXCEPTION(ERangeError, Currency::fromDouble(-1e15));
    QVERIFY_THROWS_EXCEPTION(ERangeError, Currency::fromDouble(std::numeric_limits<double>::infinity()));
    QVERIFY_THROWS_EXCEPTION(EConvertError, Currency::fromDouble(std::numeric_limits<double>::quiet_NaN()));
}

void TstCurrency::product_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QString>("product");
    QTest::newRow("half to even, down") << "0.001"
                                        << "0.25"
                                        << "0.0002";
    QTest::newRow("half to even, up") << "0.003"
                                      << "0.25"
                                      << "0.0008";
    QTest::newRow("below half") << "0.001"
                                << "0.05"
                                << "0";
    QTest::newRow("negative half down") << "-0.001"
                                        << "0.25"
                                        << "-0.0002";
    QTest::newRow("negative half up") << "-0.003"
                                      << "0.25"
                                      << "-0.0008";
    QTest::newRow("both negative") << "-0.0003"
                                   << "-0.5"
                                   << "0.0002";
    QTest::newRow("line total") << "12.5"
                                << "100"
                                << "1250";
    QTest::newRow("ticks product beyond 64 bits") << "1000000"
                                                  << "1000000"
                                                  << "1000000000000";
    QTest::newRow("just inside the limit") << "30370004.9997"
                                           << "30370004.9997"
                                           << "922337203681802.997";
    QTest::newRow("largest times one") << "922337203685477.5807"
                                       << "1"
                                       << "922337203685477.5807";
    QTest::newRow("smallest times one") << "-922337203685477.5808"
                                        << "1"
                                        << "-922337203685477.5808";
    QTest::newRow("reaching the smallest") << "461168601842738.7904"
                                           << "-2"
                                           << "-922337203685477.5808";
}

void TstCurrency::product()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QString, product);
    QCOMPARE((dec(a) * dec(b)).toString(), product);
    QCOMPARE((dec(b) * dec(a)).toString(), product);
}

void TstCurrency::productOutOfRange_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::newRow("largest times two") << "922337203685477.5807"
                                       << "2";
    QTest::newRow("just past the limit") << "30370004.9998"
                                         << "30370004.9998";
    QTest::newRow("square root of the ticks limit") << "3037000499.976"
                                                    << "3037000499.976";
    QTest::newRow("smallest times minus one") << "-922337203685477.5808"
                                              << "-1";
    QTest::newRow("reaching one past the largest") << "461168601842738.7904"
                                                   << "2";
}

void TstCurrency::productOutOfRange()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    const QString message = errorOf<ERangeError>([&] { dec(a) * dec(b); });
    QCOMPARE(message, QStringLiteral("Valor fora do intervalo: %1 × %2.").arg(a, b));
}

void TstCurrency::sumAndDifference()
{
    const Currency max = Currency::fromRaw(MaxTicks);
    const Currency min = Currency::fromRaw(MinTicks);
    const Currency tick = Currency::fromRaw(1);
    QCOMPARE((dec("0.1") + dec("0.2")).toString(), QStringLiteral("0.3"));
    QCOMPARE((dec("0.1") - dec("0.2")).toString(), QStringLiteral("-0.1"));
    QCOMPARE((max + min).raw(), -1);
    QCOMPARE((min - min).raw(), 0);
    QCOMPARE((-max).raw(), -MaxTicks);
    QVERIFY_THROWS_EXCEPTION(ERangeError, max + tick);
    QVERIFY_THROWS_EXCEPTION(ERangeError, min - tick);
    QVERIFY_THROWS_EXCEPTION(ERangeError, max - min);
    QVERIFY_THROWS_EXCEPTION(ERangeError, -min);
}

void TstCurrency::roundedTo_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("rounded");
    QTest::newRow("half down to even") << "0.125" << 2 << "0.12";
    QTest::newRow("half up to even") << "0.135" << 2 << "0.14";
    QTest::newRow("negative half") << "-0.125" << 2 << "-0.12";
    QTest::newRow("not a half") << "1.2351" << 2 << "1.24";
    QTest::newRow("units, half down") << "2.5" << 0 << "2";
    QTest::newRow("units, half up") << "3.5" << 0 << "4";
    QTest::newRow("units, negative half") << "-2.5" << 0 << "-2";
    QTest::newRow("three decimals") << "1.2355" << 3 << "1.236";
    QTest::newRow("four decimals keep all") << "1.2345" << 4 << "1.2345";
}

void TstCurrency::roundedTo()
{
    QFETCH(QString, value);
    QFETCH(int, decimals);
    QFETCH(QString, rounded);
    QCOMPARE(dec(value).roundedTo(decimals).toString(), rounded);
}

void TstCurrency::roundedToRefuses()
{
    // Rounding away from zero may leave the range; rounding towards it never does.
    QVERIFY_THROWS_EXCEPTION(ERangeError, Currency::fromRaw(MaxTicks).roundedTo(3));
    QVERIFY_THROWS_EXCEPTION(ERangeError, Currency::fromRaw(MinTicks).roundedTo(0));
    QCOMPARE(Currency::fromRaw(MaxTicks).roundedTo(2).toString(), QStringLiteral("922337203685477.58"));
    QCOMPARE(Currency::fromRaw(MinTicks).roundedTo(2).toString(), QStringLiteral("-922337203685477.58"));
    QVERIFY_THROWS_EXCEPTION(ERangeError, dec("1.5").roundedTo(5));
    QVERIFY_THROWS_EXCEPTION(ERangeError, dec("1.5").roundedTo(-1));
}

void TstCurrency::integerDigits_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("digits");
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("below one") << "0.9999" << 0;
    QTest::newRow("negative below one") << "-0.5" << 0;
    QTest::newRow("one") << "1" << 1;
    QTest::newRow("negative") << "-12.5" << 2;
    QTest::newRow("three nines") << "999.9999" << 3;
    QTest::newRow("thousand") << "1000" << 4;
    QTest::newRow("largest") << "922337203685477.5807" << 15;
    QTest::newRow("smallest") << "-922337203685477.5808" << 15;
}

void TstCurrency::integerDigits()
{
    QFETCH(QString, value);
    QFETCH(int, digits);
    QCOMPARE(dec(value).integerDigits(), digits);
}

QTEST_APPLESS_MAIN(TstCurrency)
#include "tst_currency.moc"
