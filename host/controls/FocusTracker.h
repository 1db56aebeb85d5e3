#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class FocusBoundary;
class QWidget;

// Follows the keyboard focus for every FocusBoundary: one listener to focus changes, so that the exits
// of the area being left run before the enters of the area being entered, and one application filter
// that checks a mouse press before Qt hands the focus to the control under it.
class FocusTracker : public QObject {
    Q_OBJECT

public:
    static FocusTracker& instance();
    void add(FocusBoundary* boundary);
    static void remove(FocusBoundary* boundary);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit FocusTracker(QObject* parent);

    void focusChanged(QWidget* old, QWidget* now);
    bool moveFocus(QWidget* old, QWidget* now);
    bool pressAt(QWidget* target);
    bool runPressHooks(QWidget* scope, QWidget* focus, QWidget* target);
    // Runs the exits of the areas left for `target`; false when one refused (their state is put back).
    bool leave(QWidget* scope, QWidget* target);
    void enter(QWidget* scope, QWidget* target);
    void refocus(QWidget* old, QWidget* now);
    static void selectRefused(QWidget* window);

    QList<FocusBoundary*> inScope(QWidget* scope) const;
    static QWidget* scopeOf(QWidget* widget);
    static QWidget* clickFocusTarget(QWidget* widget);

    QList<FocusBoundary*> boundaries_;
    QPointer<FocusBoundary> refused_;
    bool busy_ = false;
};
