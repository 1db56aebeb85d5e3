#include "BufferRoom.h"
#include "Currency.h"
#include "EDatabaseError.h"
#include "PacketCodec.h"
#include "TDateTime.h"

#include <QTest>
#include <limits>

namespace {

// The measurement lines' shape, with a float column besides.
FieldDefs lineFields()
{
    return {
        {"USR_CDFILIAL", TFieldType::ftString, 4, 0, 0, "USR_EFETGEST.USR_CDFILIAL"},
        {"USR_DTEFETGEST", TFieldType::ftDateTime, 0, 0, 0, "USR_EFETGEST.USR_DTEFETGEST"},
        {"USR_CDSERVFILI", TFieldType::ftString, 5, 0, 0, "USR_EFETGEST.USR_CDSERVFILI"},
        {"USR_QTEFETGEST", TFieldType::ftBCD, 0, 10, 3, ""},
        {"USR_VREFETGEST", TFieldType::ftBCD, 0, 15, 2, ""},
        {"NMSERVICO", TFieldType::ftString, 40, 0, 0, "SERVICO.NMSERVICO"},
        {"FATOR", TFieldType::ftFloat, 0, 0, 0, ""},
    };
}

QVariant dec(const char* text)
{
    return QVariant::fromValue(Currency::parse(QString::fromLatin1(text)));
}

QVariant date(const char* iso)
{
    return QVariant::fromValue(TDateTime::fromIsoString(QString::fromLatin1(iso)));
}

Record line(const char* code, const QString& name, double factor = 1.0)
{
    return {"0001", date("2026-12-07"), code, dec("12.5"), dec("100"), name, factor};
}

// A packet of `lineFields()` around the given JSON text of its lines.
DataPacket packetWithRows(const QByteArray& rows)
{
    QByteArray json = PacketCodec::encodePacket(lineFields(), {}).json();
    json.replace("\"rows\":[]", "\"rows\":" + rows);
    return DataPacket(json);
}

QString decodeError(const DataPacket& packet, const FieldDefs& fields = lineFields())
{
    try {
        PacketCodec::decodePacket(packet, fields);
    } catch (const EDatabaseError& e) {
        return e.Message();
    }
    return QStringLiteral("<nothing raised>");
}

} // namespace

class TstPacketCodec : public QObject {
    Q_OBJECT

private slots:
    void writesTheDocumentedFormat();
    void roundTrip_data();
    void roundTrip();
    void readsEscapedText();
    void readsLinesAsWritten_data();
    void readsLinesAsWritten();
    void readsTextWithoutSpareRoom();
    void readsLongListsAsTheyArrive_data();
    void readsLongListsAsTheyArrive();
    void roomAfterTheText_data();
    void roomAfterTheText();
    void declaredFields();
    void changeSetRoundTrip();
    void malformed_data();
    void malformed();
    void fieldListMismatch_data();
    void fieldListMismatch();
    void badValue_data();
    void badValue();
    void decimalAtTheFieldScale_data();
    void decimalAtTheFieldScale();
    void badChangeSet_data();
    void badChangeSet();
    void refusesToWriteWhatCannotTravel();
};

void TstPacketCodec::writesTheDocumentedFormat()
{
    const FieldDefs fields{{"C", TFieldType::ftString, 4, 0, 0, "T.C"},
                           {"D", TFieldType::ftDateTime, 0, 0, 0, ""},
                           {"Q", TFieldType::ftBCD, 0, 10, 3, ""},
                           {"F", TFieldType::ftFloat, 0, 0, 0, ""}};
    const DataPacket packet = PacketCodec::encodePacket(
        fields, {{"0001", date("2026-12-07T08:30:00"), dec("-12.5"), 0.1}, {{}, {}, {}, {}}});
    QCOMPARE(packet.json(),
             QByteArray(R"({"fields":[)"
                        R"({"name":"C","type":"string","size":4,"origin":"T.C"},)"
                        R"({"name":"D","type":"datetime","origin":""},)"
                        R"({"name":"Q","type":"bcd","precision":10,"scale":3,"origin":""},)"
                        R"({"name":"F","type":"float","origin":""}],)"
                        R"("rows":[["0001","2026-12-07T08:30:00","-12.5",0.1],[null,null,null,null]]})"));
}

void TstPacketCodec::roundTrip_data()
{
    QTest::addColumn<QList<Record>>("rows");
    QTest::newRow("no lines") << QList<Record>{};
    QTest::newRow("nulls") << QList<Record>{Record(7)};
    QTest::newRow("lines") << QList<Record>{line("00001", "Vigilância"), line("00002", "Limpeza", 0.5),
                                            line("00003", "Limpeza", -2.75)};
    QTest::newRow("dates with time and milliseconds") << QList<Record>{
        {"0001", date("1899-12-29T06:00:00"), "1", dec("0"), dec("-0.01"), "", 0.0},
        {"0001", date("9999-12-31T23:59:59.999"), "2", dec("-9999999.999"), dec("0.01"), "", 0.0},
        {"0001", date("0001-01-01"), "3", dec("9999999.999"), dec("9999999999999.99"), "", 0.0}};
    QTest::newRow("doubles that need all their digits") << QList<Record>{
        line("1", "", 0.1 + 0.2), line("2", "", 1e300), line("3", "", -4.9e-324),
        line("4", "", std::numeric_limits<double>::max()), line("5", "", 123456789.123456789)};
    QTest::newRow("text that needs escaping") << QList<Record>{
        line("\"", "Vigilância \"noturna\"\n"), line("\\", "C:\\dir\\file\ttab\r\b\f"),
        line("\x01", QString::fromUtf16(u"\u0000\u001f\u007f fim", 7)), line("é€", "ação 😀 日本")};
    QList<Record> many;
    for (int i = 0; i < 5000; ++i)
        many.append(
            line(qPrintable(QString::number(i)), i % 3 ? QStringLiteral("Limpeza %1").arg(i % 5) : "", i));
    QTest::newRow("thousands of lines, names repeating, each code its own") << many;
    // The lines a packet holds are reckoned from its first few thousand: here far too few, then far
    // too many.
    QList<Record> shortFirst(3000, Record(7));
    for (int i = 0; i < 6000; ++i)
        shortFirst.append(
            line(qPrintable(QString::number(i % 99999)), QStringLiteral("Serviço %1").arg(i), i));
    QTest::newRow("short lines first, then long ones") << shortFirst;
    QList<Record> longFirst(shortFirst.crbegin(), shortFirst.crend());
    QTest::newRow("long lines first, then short ones") << longFirst;
}

void TstPacketCodec::roundTrip()
{
    QFETCH(QList<Record>, rows);
    const DataPacket packet = PacketCodec::encodePacket(lineFields(), rows);
    QCOMPARE(PacketCodec::decodePacket(packet, lineFields()), rows);
}

void TstPacketCodec::readsEscapedText()
{
    const DataPacket packet = packetWithRows(
        R"([["\u0030001","2026-12-07","a\/b","1","2","Vigil\u00e2ncia \ud83d\ude00 \"x\"",1e2]])");
    const QList<Record> rows = PacketCodec::decodePacket(packet, lineFields());
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0][0], QVariant("0001"));
    QCOMPARE(rows[0][2], QVariant("a/b"));
    QCOMPARE(rows[0][5], QVariant(QStringLiteral("Vigilância 😀 \"x\"")));
    QCOMPARE(rows[0][6], QVariant(100.0));
    // Non-ASCII text travels as UTF-8, control characters escaped.
    const QByteArray json = PacketCodec::encodePacket(lineFields(), rows).json();
    QVERIFY(json.contains("Vigil\xc3\xa2ncia \xf0\x9f\x98\x80 \\\"x\\\""));
    QVERIFY(
        PacketCodec::encodePacket(lineFields(), {line("1", "a\x01\n")}).json().contains(R"("a\u0001\n")"));
}

// Lines as another writer may send them: spacing, escapes where none are needed, a value written
// two ways, texts coming back lines later.
void TstPacketCodec::readsLinesAsWritten_data()
{
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<QList<Record>>("expected");
    const auto on = [](const char* day, const char* code, const QString& name) {
        return Record{"0001", date(day), code, dec("12.5"), dec("100"), name, 1.0};
    };
    QTest::newRow("spaces and line breaks around values")
        << QByteArray("[ [ \"0001\" , \"2026-12-07\"\t,\"1\", \"12.5\" ,\r\n \"100\"  , \"Limpeza\" , 1 ] ,\n"
                      " [\"0001\",\"2026-12-07\",\"2\",\"12.5\",\"100\",\"Limpeza\" ,1]\n]")
        << QList<Record>{line("1", "Limpeza"), line("2", "Limpeza")};
    QTest::newRow("a text escaped on one line, plain on the next")
        << QByteArray(R"([["0001","2026-12-07","\u0031","12.5","100","a\u00e7\u00e3o",1],)"
                      R"(["0001","2026-12-07","1","12.5","100","ação",1],)"
                      R"(["0001","2026-12-07","\u0031","12.5","100","a\u00e7\u00e3o",1]])")
        << QList<Record>{line("1", "ação"), line("1", "ação"), line("1", "ação")};
    QTest::newRow("texts coming back lines later")
        << QByteArray(
               R"([["0001","2026-12-07","1","12.5","100","A",1],["0001","2026-12-08","2","12.5","100","B",1],)"
               R"(["0001","2026-12-07","3","12.5","100","C",1],["0001","2026-12-08","4","12.5","100","A",1],)"
               R"(["0001","2026-12-07","5","12.5","100","B",1]])")
        << QList<Record>{on("2026-12-07", "1", "A"), on("2026-12-08", "2", "B"), on("2026-12-07", "3", "C"),
                         on("2026-12-08", "4", "A"), on("2026-12-07", "5", "B")};
    QTest::newRow("one decimal and one date written two ways")
        << QByteArray(R"([["0001","2026-12-07","1","12.50","100.00","x",1],)"
                      R"(["0001","2026\u002d12-07","2","\u0031\u0032.5","100","x",1]])")
        << QList<Record>{line("1", "x"), line("2", "x")};
    QTest::newRow("quotes and backslashes, spaces after")
        << QByteArray(R"([["0001","2026-12-07","a\"b"  ,"12.5","100","c\\"  ,1],)"
                      R"(["0001","2026-12-07","a\"b","12.5","100","c\\",1]])")
        << QList<Record>{line("a\"b", "c\\"), line("a\"b", "c\\")};
    QTest::newRow("null between equal texts")
        << QByteArray(R"([["0001","2026-12-07","1","12.5","100","x",1],)"
                      R"([null,null,null,null,null,null,null],)"
                      R"(["0001","2026-12-07","1","12.5","100","x",1]])")
        << QList<Record>{line("1", "x"), Record(7), line("1", "x")};
}

void TstPacketCodec::readsLinesAsWritten()
{
    QFETCH(QByteArray, rows);
    QFETCH(QList<Record>, expected);
    QCOMPARE(PacketCodec::decodePacket(packetWithRows(rows), lineFields()), expected);
}

void TstPacketCodec::readsTextWithoutSpareRoom()
{
    // Text that arrived from elsewhere: no room after it for the parser's padding.
    const QList<Record> rows{line("00001", "Vigilância")};
    const QByteArray json = PacketCodec::encodePacket(lineFields(), rows).json();
    const QByteArray borrowed = QByteArray::fromRawData(json.constData(), json.size());
    QCOMPARE(PacketCodec::decodePacket(DataPacket(borrowed), lineFields()), rows);
    QCOMPARE(PacketCodec::decodePacket(DataPacket(QByteArray(json.constData(), json.size())), lineFields()),
             rows);
}

// Lists past the first lines the reader samples to size its columns, in buffers shaped as the network
// client hands them over: the answer's result copied out to its exact size, or borrowed in place.
void TstPacketCodec::readsLongListsAsTheyArrive_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<bool>("borrowed");
    for (const int lines : {2048, 2049, 3000, 10000, 100000}) {
        QTest::addRow("%d lines, copied out", lines) << lines << false;
        QTest::addRow("%d lines, borrowed", lines) << lines << true;
    }
}

void TstPacketCodec::readsLongListsAsTheyArrive()
{
    QFETCH(int, lines);
    QFETCH(bool, borrowed);
    QList<Record> rows;
    rows.reserve(lines);
    for (int i = 0; i < lines; ++i)
        rows.append(line(QByteArray::number(i % 100000).rightJustified(5, '0').constData(),
                         QStringLiteral("Serviço %1").arg(i)));
    const QByteArray json = PacketCodec::encodePacket(lineFields(), rows).json();
    const QByteArray arrived = borrowed ? QByteArray::fromRawData(json.constData(), json.size())
                                        : QByteArray(json.constData(), json.size());
    QVERIFY(roomAfter(arrived) < 64);
    QCOMPARE(PacketCodec::decodePacket(DataPacket(arrived), lineFields()), rows);
}

void TstPacketCodec::roomAfterTheText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("padded");
    const QByteArray json = PacketCodec::encodePacket(lineFields(), {line("00001", "Vigilância")}).json();
    // The parser reads up to 64 bytes past a text's end, so only room it really has will do.
    constexpr qsizetype Padding = 64;
    QByteArray moved(Padding + json.size(), Qt::Uninitialized);
    std::copy(json.cbegin(), json.cend(), moved.begin() + Padding);
    moved.remove(0, Padding);
    QByteArray reserved = json;
    reserved.reserve(json.size() + Padding);
    QTest::newRow("written by the codec") << json << true;
    QTest::newRow("front removed") << moved << false;
    QTest::newRow("borrowed") << QByteArray::fromRawData(json.constData(), json.size()) << false;
    QTest::newRow("room reserved") << reserved << true;
}

void TstPacketCodec::roomAfterTheText()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, padded);
    // A buffer whose front was removed keeps its allocation, and capacity() still counts the bytes
    // before the text: it promises room after it that is not there.
    QCOMPARE(roomAfter(text) >= 64, padded);
    QCOMPARE(PacketCodec::decodePacket(DataPacket(text), lineFields()),
             QList<Record>{line("00001", "Vigilância")});
}

void TstPacketCodec::declaredFields()
{
    const DataPacket packet = PacketCodec::encodePacket(lineFields(), {line("1", "x")});
    QCOMPARE(PacketCodec::decodeFieldDefs(packet), lineFields());
    // Members in any order, unknown members ignored.
    const DataPacket reordered(
        R"({"rows":[],"extra":{"a":[1,2]},"fields":[{"origin":"O","size":3,"type":"string","name":"A"}]})");
    QCOMPARE(PacketCodec::decodeFieldDefs(reordered), (FieldDefs{{"A", TFieldType::ftString, 3, 0, 0, "O"}}));
    QCOMPARE(PacketCodec::decodePacket(reordered, PacketCodec::decodeFieldDefs(reordered)), QList<Record>{});
}

void TstPacketCodec::changeSetRoundTrip()
{
    const QList<Change> changes{
        {ChangeKind::Modified, line("00002", "Limpeza", 2.0), line("00002", "Limpeza", 1.0)},
        {ChangeKind::Inserted, line("00003", "Vigilância \"noturna\"\n"), {}},
        {ChangeKind::Deleted, {}, line("00001", "Portaria")},
        {ChangeKind::Modified, Record(7), line("00004", "x")},
    };
    const DataPacket changeSet = PacketCodec::encodeChangeSet(lineFields(), changes);
    QCOMPARE(PacketCodec::decodeChangeSet(changeSet, lineFields()), changes);
    QCOMPARE(PacketCodec::decodeFieldDefs(changeSet), lineFields());
    QCOMPARE(PacketCodec::decodeChangeSet(PacketCodec::encodeChangeSet(lineFields(), {}), lineFields()),
             QList<Change>{});
}

void TstPacketCodec::malformed_data()
{
    QTest::addColumn<DataPacket>("packet");
    const QByteArray valid = PacketCodec::encodePacket(lineFields(), {line("1", "x")}).json();
    QTest::newRow("empty") << DataPacket();
    QTest::newRow("not JSON") << DataPacket("not json");
    QTest::newRow("cut short") << DataPacket(valid.left(valid.size() - 2));
    QTest::newRow("text after the object") << DataPacket(valid + " {}");
    QTest::newRow("unbalanced") << DataPacket(valid + "}");
    QTest::newRow("bad literal in a line") << packetWithRows(R"([["1",nul,"1","1","1","x",1]])");
    QTest::newRow("bad escape in a text") << packetWithRows(R"([["1",null,"1","1","1","a\x",1]])");
    QTest::newRow("lone surrogate in a text") << packetWithRows(R"([["1",null,"1","1","1","\ud800",1]])");
    QTest::newRow("bad escape in a date") << packetWithRows(R"([["1","2026\-12-07","1","1","1","x",1]])");
    QTest::newRow("bad escape in a text seen before")
        << packetWithRows(R"([["1",null,"1","1","1","a\x",1],["1",null,"1","1","1","a\x",1]])");
    QTest::newRow("invalid UTF-8") << packetWithRows("[[\"1\",null,\"\xff\",\"1\",\"1\",\"x\",1]]");
    QTest::newRow("an array") << DataPacket("[]");
    QTest::newRow("no fields") << DataPacket(R"({"rows":[]})");
    QTest::newRow("no rows") << DataPacket(PacketCodec::encodeChangeSet(lineFields(), {}).json());
    QTest::newRow("fields twice") << DataPacket(valid.left(valid.size() - 1) + R"(,"fields":[]})");
    QTest::newRow("fields not a list") << DataPacket(R"({"fields":{},"rows":[]})");
    QTest::newRow("field not an object") << DataPacket(R"({"fields":["A"],"rows":[]})");
    QTest::newRow("field without a name") << DataPacket(R"({"fields":[{"type":"float"}],"rows":[]})");
    QTest::newRow("field of an unknown type")
        << DataPacket(R"({"fields":[{"name":"A","type":"int"}],"rows":[]})");
    QTest::newRow("string field without size")
        << DataPacket(R"({"fields":[{"name":"A","type":"string"}],"rows":[]})");
    QTest::newRow("size as text") << DataPacket(
        R"({"fields":[{"name":"A","type":"string","size":"4"}],"rows":[]})");
    QTest::newRow("scale beyond precision")
        << DataPacket(R"({"fields":[{"name":"A","type":"bcd","precision":2,"scale":3}],"rows":[]})");
    QTest::newRow("a field twice") << DataPacket(
        R"({"fields":[{"name":"A","type":"float"},{"name":"A","type":"float"}],"rows":[]})");
    QTest::newRow("rows not a list") << packetWithRows(R"({})");
    QTest::newRow("line not a list") << packetWithRows(R"(["1"])");
    QTest::newRow("line too short") << packetWithRows(R"([["0001","2026-12-07","1","1","1","x"]])");
    QTest::newRow("line too long") << packetWithRows(R"([["0001","2026-12-07","1","1","1","x",1,2]])");
}

void TstPacketCodec::malformed()
{
    QFETCH(DataPacket, packet);
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, PacketCodec::decodeFieldDefs(packet).size() > 0 &&
                                                 PacketCodec::decodePacket(packet, lineFields()).isEmpty());
    const QString message = decodeError(packet);
    QVERIFY2(message.startsWith(QStringLiteral("Pacote de dados inválido")), qPrintable(message));
}

void TstPacketCodec::fieldListMismatch_data()
{
    QTest::addColumn<FieldDefs>("declared");
    QTest::addColumn<QString>("field");
    FieldDefs missing = lineFields();
    missing.removeAt(3);
    FieldDefs extra = lineFields();
    extra.append({"OBS", TFieldType::ftString, 10, 0, 0, ""});
    FieldDefs type = lineFields();
    type[3].type = TFieldType::ftFloat;
    FieldDefs order = lineFields();
    order.swapItemsAt(3, 4);
    FieldDefs size = lineFields();
    size[2].size = 6;
    FieldDefs precision = lineFields();
    precision[3].precision = 12;
    FieldDefs scale = lineFields();
    scale[4].scale = 3;
    FieldDefs renamed = lineFields();
    renamed[5].name = "NMSERV";
    FieldDefs lastMissing = lineFields();
    lastMissing.removeLast();
    QTest::newRow("missing field") << missing << "USR_QTEFETGEST";
    QTest::newRow("missing last field") << lastMissing << "FATOR";
    QTest::newRow("extra field") << extra << "OBS";
    QTest::newRow("wrong type") << type << "USR_QTEFETGEST";
    QTest::newRow("wrong order") << order << "USR_QTEFETGEST";
    QTest::newRow("wrong size") << size << "USR_CDSERVFILI";
    QTest::newRow("wrong precision") << precision << "USR_QTEFETGEST";
    QTest::newRow("wrong scale") << scale << "USR_VREFETGEST";
    QTest::newRow("renamed") << renamed << "NMSERVICO";
    QTest::newRow("no fields") << FieldDefs{} << "USR_CDFILIAL";
}

void TstPacketCodec::fieldListMismatch()
{
    QFETCH(FieldDefs, declared);
    QFETCH(QString, field);
    const QString prefix =
        QStringLiteral("Pacote de dados não corresponde ao conjunto de registros: campo '%1' ").arg(field);
    const QString packetError = decodeError(PacketCodec::encodePacket(declared, {}));
    QVERIFY2(packetError.startsWith(prefix), qPrintable(packetError));
    try {
        PacketCodec::decodeChangeSet(PacketCodec::encodeChangeSet(declared, {}), lineFields());
        QFAIL("no error raised");
    } catch (const EDatabaseError& e) {
        QVERIFY2(e.Message().startsWith(prefix), qPrintable(e.Message()));
    }
}

void TstPacketCodec::badValue_data()
{
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<QString>("message");
    const QByteArray good = R"(["0001","2026-12-07","1","1","1","x",1])";
    const auto second = [&](const char* bad) { return "[" + good + "," + bad + "]"; };
    const QString line2 = QStringLiteral("Pacote de dados inválido, linha 2: ");
    QTest::newRow("decimal not a number")
        << second(R"(["0001","2026-12-07","1","abc","1","x",1])")
        << line2 + "Campo USR_QTEFETGEST: 'abc' não é um valor decimal válido.";
    QTest::newRow("decimal as a JSON number")
        << second(R"(["0001","2026-12-07","1",12.5,"1","x",1])") << line2 + "Campo USR_QTEFETGEST: ";
    QTest::newRow("decimal beyond precision")
        << second(R"(["0001","2026-12-07","1","12345678","1","x",1])")
        << line2 + "Campo USR_QTEFETGEST: o valor 12345678 excede a precisão (10, 3).";
    QTest::newRow("decimal out of range")
        << second(R"(["0001","2026-12-07","1","1","99999999999999999999","x",1])")
        << line2 + "Campo USR_VREFETGEST: ";
    QTest::newRow("date that does not parse")
        << second(R"(["0001","2026-02-30","1","1","1","x",1])")
        << line2 + "Campo USR_DTEFETGEST: '2026-02-30' não é uma data válida.";
    QTest::newRow("date as a number")
        << second(R"(["0001",46363,"1","1","1","x",1])") << line2 + "Campo USR_DTEFETGEST: ";
    QTest::newRow("text too long") << second(R"(["0001","2026-12-07","abcdef","1","1","x",1])")
                                   << line2 + "Campo USR_CDSERVFILI: o texto 'abcdef' excede 5 caracteres.";
    QTest::newRow("text too long where the line before's fitted")
        << "[" + good +
               R"(,["0001","2026-12-07","abcde","1","1","x",1],["0001","2026-12-07","abcdef","1","1","x",1]])"
        << QStringLiteral("Pacote de dados inválido, linha 3: Campo USR_CDSERVFILI: o texto 'abcdef' excede "
                          "5 caracteres.");
    QTest::newRow("accented text too long")
        << second(R"(["000é1","2026-12-07","1","1","1","x",1])")
        << line2 + "Campo USR_CDFILIAL: o texto '000é1' excede 4 caracteres.";
    QTest::newRow("text as a number")
        << second(R"(["0001","2026-12-07",1,"1","1","x",1])") << line2 + "Campo USR_CDSERVFILI: ";
    QTest::newRow("float as text") << second(R"(["0001","2026-12-07","1","1","1","x","1"])")
                                   << line2 + "Campo FATOR: ";
    QTest::newRow("float as boolean")
        << second(R"(["0001","2026-12-07","1","1","1","x",true])") << line2 + "Campo FATOR: ";
}

void TstPacketCodec::badValue()
{
    QFETCH(QByteArray, rows);
    QFETCH(QString, message);
    const QString error = decodeError(packetWithRows(rows));
    QVERIFY2(error.startsWith(message), qPrintable(error));
}

// A decimal is rounded half to even at its field's scale (3 here) and must fit its precision (10)
// once rounded.
void TstPacketCodec::decimalAtTheFieldScale_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QVariant>("stored"); // null when refused
    QTest::newRow("at the scale") << QByteArray("12.5") << dec("12.5");
    QTest::newRow("more places, rounded up") << QByteArray("12.3456") << dec("12.346");
    QTest::newRow("half, to even below") << QByteArray("12.3445") << dec("12.344");
    QTest::newRow("half, to even above") << QByteArray("-12.3435") << dec("-12.344");
    QTest::newRow("largest that fits") << QByteArray("9999999.999") << dec("9999999.999");
    QTest::newRow("smallest that fits") << QByteArray("-9999999.999") << dec("-9999999.999");
    QTest::newRow("rounds up past the precision") << QByteArray("9999999.9995") << QVariant();
    QTest::newRow("one digit too many") << QByteArray("10000000") << QVariant();
    QTest::newRow("one digit too many, negative") << QByteArray("-10000000") << QVariant();
}

void TstPacketCodec::decimalAtTheFieldScale()
{
    QFETCH(QByteArray, text);
    QFETCH(QVariant, stored);
    // Twice: the second line takes the value the reader kept from the first.
    const QByteArray line = R"(["0001","2026-12-07","1",")" + text + R"(","1","x",1])";
    const DataPacket packet = packetWithRows("[" + line + "," + line + "]");
    if (!stored.isValid()) {
        QVERIFY(decodeError(packet).contains(QStringLiteral("excede a precisão (10, 3)")));
        return;
    }
    const QList<Record> rows = PacketCodec::decodePacket(packet, lineFields());
    QCOMPARE(rows.at(0).at(3), stored);
    QCOMPARE(rows.at(1).at(3), stored);
}

void TstPacketCodec::badChangeSet_data()
{
    QTest::addColumn<QByteArray>("changes");
    QTest::addColumn<QString>("message");
    const QByteArray values = R"(["0001","2026-12-07","1","1","1","x",1])";
    const QString invalid = QStringLiteral("Pacote de dados inválido");
    QTest::newRow("not a list") << QByteArray("{}") << invalid;
    QTest::newRow("change not an object") << QByteArray("[1]") << invalid;
    QTest::newRow("no kind") << "[{\"values\":" + values + "}]" << invalid;
    QTest::newRow("unknown kind") << "[{\"kind\":\"updated\",\"values\":" + values + "}]" << invalid;
    QTest::newRow("insert with original")
        << "[{\"kind\":\"inserted\",\"values\":" + values + ",\"original\":" + values + "}]" << invalid;
    QTest::newRow("modification without original")
        << "[{\"kind\":\"modified\",\"values\":" + values + "}]" << invalid;
    QTest::newRow("deletion with values") << "[{\"kind\":\"deleted\",\"values\":" + values + "}]" << invalid;
    QTest::newRow("bad original value")
        << "[{\"kind\":\"deleted\",\"original\":" + values +
               "},"
               R"({"kind":"deleted","original":["0001","2026-12-07","1","x","1","x",1]}])"
        << "Pacote de dados inválido, alteração 2, 'original': Campo USR_QTEFETGEST: ";
}

void TstPacketCodec::badChangeSet()
{
    QFETCH(QByteArray, changes);
    QFETCH(QString, message);
    QByteArray json = PacketCodec::encodeChangeSet(lineFields(), {}).json();
    json.replace("\"changes\":[]", "\"changes\":" + changes);
    try {
        PacketCodec::decodeChangeSet(DataPacket(json), lineFields());
        QFAIL("no error raised");
    } catch (const EDatabaseError& e) {
        QVERIFY2(e.Message().startsWith(message), qPrintable(e.Message()));
    }
}

void TstPacketCodec::refusesToWriteWhatCannotTravel()
{
    const FieldDefs fields = lineFields();
    Record wrongKind = line("1", "x");
    wrongKind[3] = 12.5;
    Record notFinite = line("1", "x", std::numeric_limits<double>::infinity());
    Record short_ = line("1", "x");
    short_.removeLast();
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, PacketCodec::encodePacket(fields, {wrongKind}));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, PacketCodec::encodePacket(fields, {notFinite}));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, PacketCodec::encodePacket(fields, {short_}));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError,
                             PacketCodec::encodeChangeSet(fields, {{ChangeKind::Deleted, {}, wrongKind}}));
}

QTEST_APPLESS_MAIN(TstPacketCodec)
#include "tst_packetcodec.moc"
