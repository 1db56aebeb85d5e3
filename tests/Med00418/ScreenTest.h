#pragma once

#include "RecordingPrompts.h"
#include "ScreenFixture.h"
#include "TDBGrid.h"
#include "TfrmMediEfeti.h"

#include <QAbstractItemModelTester>
#include <QObject>
#include <QtTest>
#include <memory>

// The base of the screen's GUI tests: one fixture (server, databases, host window) for the test case,
// and for every test a freshly opened, active screen whose grid model is checked throughout and which
// is closed afterwards with nothing left busy. QTest runs the inherited slots; a test that starts
// differently declares its own init(), which replaces this one.
class ScreenTest : public QObject {
    Q_OBJECT

protected:
    TDBGrid* grid() const { return screen_->dbgData; }
    RecordingPrompts& prompts() const { return fx_.prompts(); }

    ScreenFixture fx_;
    TfrmMediEfeti* screen_ = nullptr;
    std::unique_ptr<QAbstractItemModelTester> tester_;

private slots:
    void initTestCase() { fx_.setUp(); }
    void cleanupTestCase() { fx_.tearDown(); }

    void init()
    {
        fx_.resetPrompts();
        screen_ = fx_.openScreen();
        QVERIFY(screen_);
        QVERIFY(fx_.activate());
        tester_ = std::make_unique<QAbstractItemModelTester>(
            grid()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    }

    void cleanup()
    {
        QVERIFY(!prompts().busy);
        tester_.reset();
        QVERIFY(fx_.closeScreen());
    }
};
