#include "ModalDriver.h"

#include <QApplication>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

namespace {

void drive(const std::function<void(QWidget*)>& act)
{
    const auto closeOnFailure = qScopeGuard([] {
        if (QWidget* modal = QApplication::activeModalWidget(); modal && QTest::currentTestFailed())
            modal->close();
    });
    QTRY_VERIFY(QApplication::activeModalWidget());
    QWidget* modal = QApplication::activeModalWidget();
    modal->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(modal));
    act(modal);
}

} // namespace

void whenModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, qApp, [act = std::move(act)] { drive(act); });
}
