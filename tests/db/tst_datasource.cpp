#include "EDatabaseError.h"
#include "Exception.h"
#include "HandlerBinding.h"
#include "PacketCodec.h"
#include "TClientDataSet.h"
#include "TDataSource.h"
#include "TStringField.h"

#include <QtTest>
#include <algorithm>

namespace {

// A screen-like receiver whose handlers are found by name.
class Handlers : public QObject {
    Q_OBJECT

public:
    QList<TDataSetState> seen;
    TDataSource* source = nullptr;
    bool refusePost = false;

public slots:
    void dtsStateChange(QObject* sender)
    {
        QCOMPARE(sender, source);
        seen.append(source->State());
    }
    void cdsBeforePost(TDataSet*)
    {
        if (refusePost)
            throw EDatabaseError(QStringLiteral("linha recusada"));
    }
    void adjust(int& key) { key = 0; }
};

DataPacket packetOf(TDataSet* cds, const QStringList& codes)
{
    QList<Record> rows;
    for (const QString& code : codes)
        rows.append({code});
    return PacketCodec::encodePacket(cds->FieldDefList(), rows);
}

} // namespace

class TstDataSource : public QObject {
    Q_OBJECT

    TClientDataSet* cds = nullptr;
    TStringField* code = nullptr;
    TDataSource* dts = nullptr;
    Handlers* handlers = nullptr;

private slots:
    void init()
    {
        handlers = new Handlers;
        cds = new TClientDataSet(handlers);
        cds->setObjectName(QStringLiteral("cds"));
        code = new TStringField(cds, QStringLiteral("CODE"), 5);
        dts = new TDataSource(handlers);
        handlers->source = dts;
        BindHandler(dts->OnStateChange, handlers, "dtsStateChange");
        BindHandler(cds->BeforePost, handlers, "cdsBeforePost");
    }
    void cleanup() { delete handlers; }

    void stateChangeSeenForEachChange()
    {
        using S = TDataSetState;
        dts->SetDataSet(cds);
        QVERIFY(handlers->seen.isEmpty()); // closed: still inactive
        cds->SetData(packetOf(cds, {"00001"}));
        cds->Edit();
        code->SetAsString(QStringLiteral("00002"));
        cds->Post();
        cds->Insert();
        cds->Cancel();
        dts->SetEnabled(false);
        dts->SetEnabled(true);
        cds->SetData(packetOf(cds, {"00003"})); // closes and reopens
        QCOMPARE(handlers->seen, QList<S>({S::dsBrowse, S::dsEdit, S::dsBrowse, S::dsInsert, S::dsBrowse,
                                           S::dsInactive, S::dsBrowse, S::dsInactive, S::dsBrowse}));
    }

    void disabledSourceStaysInactive()
    {
        dts->SetDataSet(cds);
        dts->SetEnabled(false);
        cds->SetData(packetOf(cds, {"00001"}));
        cds->Insert();
        QCOMPARE(dts->State(), TDataSetState::dsInactive);
        QVERIFY(handlers->seen.isEmpty());
        dts->SetEnabled(true);
        QCOMPARE(handlers->seen, QList<TDataSetState>({TDataSetState::dsInsert}));
    }

    void disabledControlsCatchUpOnce_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QList<TDataSetState>>("seen");
        using S = TDataSetState;
        QTest::newRow("append and post") << 0 << 3 << QList<S>{};
        QTest::newRow("edit and post") << 1 << 2 << QList<S>{};
        QTest::newRow("delete") << 2 << 1 << QList<S>{};
        QTest::newRow("insert and cancel") << 3 << 2 << QList<S>{};
        QTest::newRow("cancel updates") << 4 << 2 << QList<S>{};
        QTest::newRow("refused post keeps the line open") << 5 << 3 << QList<S>{S::dsInsert};
    }

    // While held, the controls hear nothing though every event runs; the last release tells them once.
    void disabledControlsCatchUpOnce()
    {
        QFETCH(int, step);
        dts->SetDataSet(cds);
        cds->SetData(packetOf(cds, {"00001", "00002"}));
        handlers->seen.clear();
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (const auto signal : {&TDataSet::rowInserted, &TDataSet::rowRemoved, &TDataSet::rowChanged,
                                  &TDataSet::currentChanged})
            spies.push_back(std::make_unique<QSignalSpy>(cds, signal));
        QSignalSpy resets(cds, &TDataSet::contentReset);
        QSignalSpy states(cds, &TDataSet::stateChanged);
        cds->DisableControls();
        cds->DisableControls();
        handlers->refusePost = step == 5;
        try {
            const auto addLine = [this] {
                cds->Append();
                code->SetAsString(QStringLiteral("00003"));
                cds->Post();
            };
            switch (step) {
            case 1:
                cds->Edit();
                code->SetAsString(QStringLiteral("00009"));
                cds->Post();
                break;
            case 2:
                cds->Delete();
                break;
            case 3:
                cds->Insert();
                cds->Cancel();
                break;
            case 4:
                addLine();
                cds->CancelUpdates();
                break;
            default:
                addLine();
            }
        } catch (const EDatabaseError&) {
            QCOMPARE(step, 5);
        }
        cds->EnableControls();
        for (const auto& spy : spies)
            QCOMPARE(spy->count(), 0);
        QCOMPARE(resets.count() + states.count() + handlers->seen.size(), 0);
        cds->EnableControls();
        QCOMPARE(resets.count(), 1);
        QCOMPARE(states.count(), 1);
        QFETCH(int, lines);
        QCOMPARE(cds->RecordCount(), lines);
        // Compared element by element: Qt 6.4 compares two empty lists with a null memcmp.
        QFETCH(QList<TDataSetState>, seen);
        QCOMPARE(handlers->seen.size(), seen.size());
        QVERIFY(std::equal(seen.cbegin(), seen.cend(), handlers->seen.cbegin()));
        QCOMPARE(dts->State(), cds->State());
    }

    void handlerBoundByNameCanStopAnOperation()
    {
        cds->SetData(packetOf(cds, {"00001"}));
        handlers->refusePost = true;
        cds->Edit();
        code->SetAsString(QStringLiteral("00009"));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, cds->Post());
        QCOMPARE(cds->State(), TDataSetState::dsEdit);
    }

    void referenceArgumentsReachTheHandler()
    {
        TEvent<int&> event;
        BindHandler(event, handlers, "adjust");
        int key = 123;
        event(key);
        QCOMPARE(key, 0);
    }

    void unknownHandlerFailsAtBinding()
    {
        TEvent<QObject*> event;
        QVERIFY_THROWS_EXCEPTION(Exception, BindHandler(event, handlers, "noSuchHandler"));
        TEvent<QObject*, int> wrongArity;
        QVERIFY_THROWS_EXCEPTION(Exception, BindHandler(wrongArity, handlers, "dtsStateChange"));
    }

    void sourceOutlivesItsDataSet()
    {
        dts->SetDataSet(cds);
        cds->SetData(packetOf(cds, {"00001"}));
        handlers->seen.clear();
        delete cds;
        cds = nullptr;
        QCOMPARE(dts->DataSet(), nullptr);
        QVERIFY(handlers->seen.isEmpty());
        QCOMPARE(dts->State(), TDataSetState::dsInactive);
    }
};

QTEST_GUILESS_MAIN(TstDataSource)
#include "tst_datasource.moc"
