#include "EDatabaseError.h"
#include "PacketCodec.h"
#include "TBCDField.h"
#include "TClientDataSet.h"
#include "TDateTimeField.h"
#include "TFloatField.h"
#include "TStringField.h"

#include <QtTest>
#include <memory>

namespace {

struct Lines {
    std::unique_ptr<TClientDataSet> cds = std::make_unique<TClientDataSet>();
    TStringField* code;
    TDateTimeField* date;
    TBCDField* staff;
    TFloatField* ratio;

    Lines()
    {
        cds->setObjectName(QStringLiteral("cdsLines"));
        code = new TStringField(cds.get(), QStringLiteral("CODE"), 5);
        date = new TDateTimeField(cds.get(), QStringLiteral("DAY"));
        staff = new TBCDField(cds.get(), QStringLiteral("STAFF"), 10, 3);
        ratio = new TFloatField(cds.get(), QStringLiteral("RATIO"));
    }

    static Record line(const QString& code, double staff)
    {
        return {code, QVariant::fromValue(TDateTime::fromDate(QDate(2026, 12, 7))),
                QVariant::fromValue(Currency::fromDouble(staff)), QVariant()};
    }

    void load(const QList<Record>& rows)
    {
        cds->SetData(PacketCodec::encodePacket(cds->FieldDefList(), rows));
    }

    QStringList codes() const
    {
        QStringList list;
        for (int row = 0; row < cds->RecordCount(); ++row)
            list << cds->valueAt(row, 0).toString();
        return list;
    }

    void editStaff(int recNo, double staff)
    {
        cds->SetRecNo(recNo);
        cds->Edit();
        this->staff->SetAsCurrency(Currency::fromDouble(staff));
        cds->Post();
    }

    void insertLine(int recNo, const QString& text)
    {
        cds->SetRecNo(recNo);
        cds->Insert();
        code->SetAsString(text);
        cds->Post();
    }

    QList<Change> delta() const { return PacketCodec::decodeChangeSet(cds->Delta(), cds->FieldDefList()); }
};

const QList<Record> threeLines = {Lines::line("00001", 1), Lines::line("00002", 2), Lines::line("00003", 3)};

} // namespace

class TstClientDataSet : public QObject {
    Q_OBJECT

private slots:
    void packetOpensOnFirstLineWithEmptyLog()
    {
        Lines s;
        QVERIFY(s.cds->IsEmpty());
        s.load(threeLines);
        QCOMPARE(s.cds->State(), TDataSetState::dsBrowse);
        QCOMPARE(s.cds->RecNo(), 1);
        QCOMPARE(s.code->AsString(), QStringLiteral("00001"));
        QCOMPARE(s.cds->ChangeCount(), 0);

        s.load({});
        QVERIFY(s.cds->Active());
        QVERIFY(s.cds->IsEmpty());
        QCOMPARE(s.cds->ChangeCount(), 0);
    }

    void deltaCarriesEachKindWithValuesBeforeTheChange()
    {
        Lines s;
        s.load(threeLines);
        s.insertLine(1, QStringLiteral("00009"));
        s.editStaff(2, 7.5); // "00001", now second
        s.cds->SetRecNo(4);  // "00003"
        s.cds->Delete();

        QCOMPARE(s.cds->ChangeCount(), 3);
        const QList<Change> delta = s.delta();
        QCOMPARE(delta.size(), 3);
        QCOMPARE(delta[0].kind, ChangeKind::Inserted);
        QCOMPARE(delta[0].values[0].toString(), QStringLiteral("00009"));
        QCOMPARE(delta[1].kind, ChangeKind::Modified);
        QCOMPARE(delta[1].original[2].value<Currency>(), Currency::fromInt(1));
        QCOMPARE(delta[1].values[2].value<Currency>(), Currency::fromDouble(7.5));
        QCOMPARE(delta[2].kind, ChangeKind::Deleted);
        QCOMPARE(delta[2].original, threeLines[2]);
    }

    void repeatedChangesOfOneLineCollapse()
    {
        Lines s;
        s.load(threeLines);
        s.editStaff(1, 5);
        s.editStaff(1, 6);
        QCOMPARE(s.cds->ChangeCount(), 1);
        QCOMPARE(s.delta()[0].original[2].value<Currency>(), Currency::fromInt(1));
        QCOMPARE(s.delta()[0].values[2].value<Currency>(), Currency::fromInt(6));

        s.cds->Delete();
        QCOMPARE(s.delta()[0].kind, ChangeKind::Deleted);
        QCOMPARE(s.delta()[0].original, threeLines[0]);

        s.insertLine(1, QStringLiteral("00010"));
        s.cds->Delete();
        QCOMPARE(s.cds->ChangeCount(), 1); // the new line never reached the server: nothing to send
    }

    void mergeAcceptsTheLog()
    {
        Lines s;
        s.load(threeLines);
        s.editStaff(2, 9);
        s.cds->MergeChangeLog();
        QCOMPARE(s.cds->ChangeCount(), 0);
        QVERIFY(s.delta().isEmpty());
        s.cds->CancelUpdates();
        s.cds->SetRecNo(2);
        QCOMPARE(s.staff->AsCurrency(), Currency::fromInt(9));
    }

    void cancelUpdatesRestoresTheContent()
    {
        Lines s;
        s.load(threeLines);
        const DataPacket before = s.cds->Data();
        s.insertLine(1, QStringLiteral("00009"));
        s.editStaff(3, 8);
        s.cds->SetRecNo(2);
        s.cds->Delete();
        s.insertLine(3, QStringLiteral("00008"));
        s.cds->SetRecNo(1);
        s.cds->Delete();
        QCOMPARE(s.codes(), QStringList({"00002", "00008", "00003"}));

        s.cds->CancelUpdates();
        QCOMPARE(s.cds->ChangeCount(), 0);
        QCOMPARE(s.codes(), QStringList({"00001", "00002", "00003"}));
        QCOMPARE(s.cds->Data(), before);
    }

    void cancelledInsertLeavesNoChange()
    {
        Lines s;
        s.load(threeLines);
        s.cds->Insert();
        s.code->SetAsString(QStringLiteral("00004"));
        s.cds->Cancel();
        QCOMPARE(s.cds->ChangeCount(), 0);
        QCOMPARE(s.cds->RecordCount(), 3);
        QCOMPARE(s.cds->State(), TDataSetState::dsBrowse);
    }

    void beforePostErrorStoresNothing()
    {
        Lines s;
        s.load(threeLines);
        bool refuse = true;
        s.cds->BeforePost = [&](TDataSet*) {
            if (refuse)
                throw EDatabaseError(QStringLiteral("refused"));
        };
        s.cds->Insert();
        s.code->SetAsString(QStringLiteral("00004"));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, s.cds->Post());
        QCOMPARE(s.cds->State(), TDataSetState::dsInsert);
        QCOMPARE(s.cds->ChangeCount(), 0);
        QCOMPARE(s.code->AsString(), QStringLiteral("00004"));

        refuse = false;
        s.cds->Post();
        QCOMPARE(s.cds->ChangeCount(), 1);

        refuse = true;
        s.cds->Edit();
        s.staff->SetAsCurrency(Currency::fromInt(4));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, s.cds->Post());
        QCOMPARE(s.cds->State(), TDataSetState::dsEdit);
        QCOMPARE(s.cds->ChangeCount(), 1);
        s.cds->Cancel();
        QVERIFY(s.staff->IsNull());
    }

    void leavingALinePostsOrCancelsIt()
    {
        Lines s;
        s.load(threeLines);
        s.cds->Edit();
        s.staff->SetAsCurrency(Currency::fromInt(11));
        s.cds->Next();
        QCOMPARE(s.cds->State(), TDataSetState::dsBrowse);
        QCOMPARE(s.cds->ChangeCount(), 1);

        s.cds->Insert();
        s.cds->Last();
        QCOMPARE(s.cds->RecordCount(), 3); // untouched new line dropped
        QCOMPARE(s.cds->ChangeCount(), 1);
    }

    void refusedPacketLeavesEverythingAsItWas()
    {
        Lines s;
        s.load(threeLines);
        s.editStaff(2, 4);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, s.cds->SetData(DataPacket("{\"fields\":[]")));
        QCOMPARE(s.codes(), QStringList({"00001", "00002", "00003"}));
        QCOMPARE(s.cds->ChangeCount(), 1);
        QCOMPARE(s.cds->RecNo(), 2);
    }

    void fieldsRefuseWhatDoesNotFit()
    {
        Lines s;
        s.load(threeLines);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, s.code->SetAsString(QStringLiteral("00004")));
        s.cds->Edit();
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, s.code->SetAsString(QStringLiteral("123456")));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, s.staff->SetAsCurrency(Currency::fromInt(12345678)));
        QCOMPARE(s.code->AsString(), QStringLiteral("00001"));
        s.staff->SetAsCurrency(Currency::parse(u"1.23456"));
        QCOMPARE(s.staff->AsCurrency(), Currency::parse(u"1.235"));
        s.staff->SetAsCurrency(Currency::parse(u"1.2345"));
        QCOMPARE(s.staff->AsCurrency(), Currency::parse(u"1.234")); // half to even at scale 3
    }

    void onChangeRaisedOnEverySet()
    {
        Lines s;
        s.load(threeLines);
        int changes = 0;
        s.code->OnChange = [&](TField* sender) {
            QCOMPARE(sender, s.code);
            ++changes;
        };
        s.cds->Edit();
        s.code->SetAsString(QStringLiteral("00001"));
        s.code->Clear();
        QCOMPARE(changes, 2);
        QVERIFY(s.code->IsNull());
    }
};

QTEST_GUILESS_MAIN(TstClientDataSet)
#include "tst_clientdataset.moc"
