#pragma once

#include <QObject>
#include <QPointer>

class QLabel;
class QMdiArea;
class QMdiSubWindow;

// Shows in `label` what the active screen of `area` reports in its dynamic property "statusText"
// (a screen's totals, for one), kept current as the screen changes it. The text stays while the main
// window is inactive (a dialog is up) and goes with the screen.
class ScreenStatus : public QObject {
    Q_OBJECT

public:
    static constexpr const char* Property = "statusText";

    ScreenStatus(QMdiArea* area, QLabel* label);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void activated(QMdiSubWindow* window);
    void show();

    QLabel* label_;
    QPointer<QWidget> screen_;
};
