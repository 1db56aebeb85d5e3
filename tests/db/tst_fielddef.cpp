#include "Currency.h"
#include "DisplayFormat.h"
#include "EAbort.h"
#include "EConvertError.h"
#include "EDatabaseError.h"
#include "FieldDef.h"
#include "TDateTime.h"

#include <QLocale>
#include <QTest>
#include <limits>

namespace {

FieldDef stringField(const QString& name, int size)
{
    return FieldDef{name, TFieldType::ftString, size, 0, 0, {}};
}

FieldDef bcdField(const QString& name, int precision, int scale)
{
    return FieldDef{name, TFieldType::ftBCD, 0, precision, scale, {}};
}

FieldDef dateField(const QString& name)
{
    return FieldDef{name, TFieldType::ftDateTime, 0, 0, 0, {}};
}

FieldDef floatField(const QString& name)
{
    return FieldDef{name, TFieldType::ftFloat, 0, 0, 0, {}};
}

QVariant dec(const char* text)
{
    return QVariant::fromValue(Currency::parse(QString::fromLatin1(text)));
}

QLocale brazil()
{
    return QLocale(QLocale::Portuguese, QLocale::Brazil);
}

} // namespace

Q_DECLARE_METATYPE(FieldDef)
Q_DECLARE_METATYPE(TFieldType)

class TstFieldDef : public QObject {
    Q_OBJECT

private slots:
    void typeNames_data();
    void typeNames();
    void unknownTypeName();
    void normalize_data();
    void normalize();
    void normalizeRefuses_data();
    void normalizeRefuses();
    void errorsCarryTheirMessage();
    void abortIsSilent();
    void formatCurrency_data();
    void formatCurrency();
    void formatFloat_data();
    void formatFloat();
    void unsupportedFormat();
};

void TstFieldDef::typeNames_data()
{
    QTest::addColumn<TFieldType>("type");
    QTest::addColumn<QString>("name");
    QTest::newRow("string") << TFieldType::ftString << "string";
    QTest::newRow("datetime") << TFieldType::ftDateTime << "datetime";
    QTest::newRow("bcd") << TFieldType::ftBCD << "bcd";
    QTest::newRow("float") << TFieldType::ftFloat << "float";
}

void TstFieldDef::typeNames()
{
    QFETCH(TFieldType, type);
    QFETCH(QString, name);
    QCOMPARE(fieldTypeName(type), name);
    QCOMPARE(fieldTypeFromName(name), type);
}

void TstFieldDef::unknownTypeName()
{
    for (const QString& name : QStringList{"integer", "", "String"}) {
        try {
            fieldTypeFromName(name);
            QFAIL(qPrintable(name));
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.Message(), QStringLiteral("Tipo de campo desconhecido: '%1'.").arg(name));
        }
    }
}

void TstFieldDef::normalize_data()
{
    QTest::addColumn<FieldDef>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("stored");
    const FieldDef code = stringField("USR_CDSERVFILI", 5);
    const FieldDef quantity = bcdField("USR_QTEFETGEST", 10, 3);
    QTest::newRow("null text") << code << QVariant() << QVariant();
    QTest::newRow("null decimal") << quantity << QVariant() << QVariant();
    QTest::newRow("text") << code << QVariant("abc") << QVariant("abc");
    QTest::newRow("text of the full size") << code << QVariant("abcde") << QVariant("abcde");
    QTest::newRow("accented text counts characters") << code << QVariant("ÇÃÕÉÍ") << QVariant("ÇÃÕÉÍ");
    QTest::newRow("empty text") << code << QVariant(QString()) << QVariant(QString());
    QTest::newRow("decimal within scale") << quantity << dec("12.5") << dec("12.5");
    QTest::newRow("decimal rounded") << quantity << dec("12.3456") << dec("12.346");
    QTest::newRow("decimal half down to even") << quantity << dec("0.0005") << dec("0");
    QTest::newRow("decimal half up to even") << quantity << dec("0.0015") << dec("0.002");
    QTest::newRow("negative half") << quantity << dec("-0.0025") << dec("-0.002");
    QTest::newRow("largest for the precision") << quantity << dec("9999999.999") << dec("9999999.999");
    QTest::newRow("money") << bcdField("USR_VREFETGEST", 15, 2) << dec("1234567890123.455")
                           << dec("1234567890123.46");
    QTest::newRow("date") << dateField("USR_DTEFETGEST") << QVariant::fromValue(TDateTime(46363.5))
                          << QVariant::fromValue(TDateTime(46363.5));
    QTest::newRow("float") << floatField("FATOR") << QVariant(1.5) << QVariant(1.5);
}

void TstFieldDef::normalize()
{
    QFETCH(FieldDef, field);
    QFETCH(QVariant, value);
    QFETCH(QVariant, stored);
    const QVariant result = field.normalize(value);
    QCOMPARE(result.metaType(), stored.metaType());
    QCOMPARE(result, stored);
}

void TstFieldDef::normalizeRefuses_data()
{
    QTest::addColumn<FieldDef>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("message");
    const FieldDef code = stringField("USR_CDSERVFILI", 5);
    const FieldDef quantity = bcdField("USR_QTEFETGEST", 10, 3);
    const FieldDef date = dateField("USR_DTEFETGEST");
    const FieldDef factor = floatField("FATOR");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();

    QTest::newRow("text too long") << code << QVariant("abcdef")
                                   << "Campo USR_CDSERVFILI: o texto 'abcdef' excede 5 caracteres.";
    QTest::newRow("text as a number") << code << QVariant(42) << "Campo USR_CDSERVFILI: ";
    QTest::newRow("decimal beyond precision")
        << quantity << dec("12345678.5")
        << "Campo USR_QTEFETGEST: o valor 12345678.5 excede a precisão (10, 3).";
    QTest::newRow("decimal rounding beyond precision")
        << quantity << dec("9999999.9995")
        << "Campo USR_QTEFETGEST: o valor 9999999.9995 excede a precisão (10, 3).";
    QTest::newRow("negative decimal beyond precision")
        << quantity << dec("-10000000") << "Campo USR_QTEFETGEST: ";
    QTest::newRow("decimal rounding past the range")
        << bcdField("USR_VRTTSERVGEST", 19, 0) << dec("922337203685477.5807") << "Campo USR_VRTTSERVGEST: ";
    QTest::newRow("decimal as text") << quantity << QVariant("12.5") << "Campo USR_QTEFETGEST: ";
    QTest::newRow("decimal as double") << quantity << QVariant(12.5) << "Campo USR_QTEFETGEST: ";
    QTest::newRow("date as QDate") << date << QVariant(QDate(2026, 12, 7)) << "Campo USR_DTEFETGEST: ";
    QTest::newRow("date not a number")
        << date << QVariant::fromValue(TDateTime(nan)) << "Campo USR_DTEFETGEST: ";
    QTest::newRow("date past 9999") << date << QVariant::fromValue(TDateTime(2958466.0))
                                    << "Campo USR_DTEFETGEST: ";
    QTest::newRow("float not a number") << factor << QVariant(nan) << "Campo FATOR: ";
    QTest::newRow("float infinite") << factor << QVariant(-inf) << "Campo FATOR: ";
    QTest::newRow("float as decimal") << factor << dec("1.5") << "Campo FATOR: ";
}

void TstFieldDef::normalizeRefuses()
{
    QFETCH(FieldDef, field);
    QFETCH(QVariant, value);
    QFETCH(QString, message);
    try {
        field.normalize(value);
        QFAIL("no error raised");
    } catch (const EDatabaseError& e) {
        QVERIFY2(e.Message().startsWith(message), qPrintable(e.Message()));
    }
}

void TstFieldDef::errorsCarryTheirMessage()
{
    try {
        stringField("NMSERVICO", 3).normalize(QVariant("Vigilância"));
        QFAIL("no error raised");
    } catch (const std::exception& e) {
        const QString message = QStringLiteral("Campo NMSERVICO: o texto 'Vigilância' excede 3 caracteres.");
        QCOMPARE(QByteArray(e.what()), message.toUtf8());
    }
}

void TstFieldDef::abortIsSilent()
{
    try {
        Abort();
    } catch (const Exception& e) {
        QVERIFY(dynamic_cast<const EAbort*>(&e));
        QCOMPARE(e.Message(), QStringLiteral("Operação cancelada."));
        QCOMPARE(QByteArray(e.what()), QStringLiteral("Operação cancelada.").toUtf8());
        return;
    }
    QFAIL("Abort returned");
}

void TstFieldDef::formatCurrency_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    const QString money = QStringLiteral("#,##0.000");
    QTest::newRow("decimals filled") << "12.5" << money << QLocale::c() << "12.500";
    QTest::newRow("C grouping") << "1234.5" << money << QLocale::c() << "1,234.500";
    QTest::newRow("pt_BR grouping") << "1234.5" << money << brazil() << "1.234,500";
    QTest::newRow("pt_BR negative") << "-1234.5" << money << brazil() << "-1.234,500";
    QTest::newRow("millions") << "1234567.5"
                              << "#,##0.00" << QLocale::c() << "1,234,567.50";
    QTest::newRow("half down to even") << "0.0005" << money << QLocale::c() << "0.000";
    QTest::newRow("half up to even") << "0.0015" << money << QLocale::c() << "0.002";
    QTest::newRow("negative rounding to zero") << "-0.0004" << money << QLocale::c() << "0.000";
    QTest::newRow("no grouping") << "1234.5"
                                 << "0.00" << QLocale::c() << "1234.50";
    QTest::newRow("no decimals, half down") << "1234.5"
                                            << "#,##0" << QLocale::c() << "1,234";
    QTest::newRow("no decimals, half up") << "1235.5"
                                          << "#,##0" << QLocale::c() << "1,236";
    QTest::newRow("optional decimal dropped") << "1.5"
                                              << "0.0#" << QLocale::c() << "1.5";
    QTest::newRow("optional decimal shown") << "1.25"
                                            << "0.0#" << QLocale::c() << "1.25";
    QTest::newRow("forced decimal kept") << "1"
                                         << "0.0#" << QLocale::c() << "1.0";
    QTest::newRow("no forced integer digit") << "0.5"
                                             << "#.00" << QLocale::c() << ".50";
    QTest::newRow("forced integer digits") << "12.5"
                                           << "000.0" << QLocale::c() << "012.5";
    QTest::newRow("no format") << "12.5"
                               << "" << QLocale::c() << "12.5";
    QTest::newRow("no format, pt_BR, no grouping") << "1234.5678"
                                                   << "" << brazil() << "1234,5678";
    QTest::newRow("no format, negative integer") << "-3"
                                                 << "" << QLocale::c() << "-3";
    QTest::newRow("no format, zero") << "0"
                                     << "" << QLocale::c() << "0";
}

void TstFieldDef::formatCurrency()
{
    QFETCH(QString, value);
    QFETCH(QString, format);
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QCOMPARE(DisplayFormat::formatCurrency(Currency::parse(value), format, locale), text);
}

void TstFieldDef::formatFloat_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    const QString money = QStringLiteral("#,##0.000");
    QTest::newRow("decimals filled") << 12.5 << money << QLocale::c() << "12.500";
    QTest::newRow("C grouping") << 1234.5 << money << QLocale::c() << "1,234.500";
    QTest::newRow("pt_BR grouping") << 1234.5 << money << brazil() << "1.234,500";
    QTest::newRow("pt_BR negative") << -1234.5 << money << brazil() << "-1.234,500";
    QTest::newRow("negative rounding to zero") << -0.0001 << "#,##0.00" << QLocale::c() << "0.00";
    QTest::newRow("optional decimals") << 2.5 << "0.0##" << QLocale::c() << "2.5";
    QTest::newRow("no format, binary sum") << 0.1 + 0.2 << "" << QLocale::c() << "0.3";
    QTest::newRow("no format, pt_BR") << 1234.5 << "" << brazil() << "1234,5";
    QTest::newRow("no format, large") << 1e20 << "" << QLocale::c() << "1e+20";
}

void TstFieldDef::formatFloat()
{
    QFETCH(double, value);
    QFETCH(QString, format);
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QCOMPARE(DisplayFormat::formatFloat(value, format, locale), text);
}

void TstFieldDef::unsupportedFormat()
{
    for (const QString& format : QStringList{"R$ #,##0.00", "#,##0.00;(#,##0.00)", "0.0x", "0#.0"}) {
        QVERIFY_THROWS_EXCEPTION(EConvertError,
                                 DisplayFormat::formatCurrency(Currency(), format, QLocale::c()));
        QVERIFY_THROWS_EXCEPTION(EConvertError, DisplayFormat::formatFloat(0.0, format, QLocale::c()));
    }
}

QTEST_APPLESS_MAIN(TstFieldDef)
#include "tst_fielddef.moc"
