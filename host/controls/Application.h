#pragma once

#include "host_controls_export.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <exception>
#include <functional>
#include <memory>

class QMdiArea;
class TForm;
class UserPrompts;

// The application object: main form, mouse cursor, the forms it owns, and the one place where errors
// and prompts reach the user. Every event that enters our code from Qt passes through Guard, so no
// exception ever reaches Qt's event loop.
class HOST_CONTROLS_EXPORT Application : public QObject {
    Q_OBJECT

public:
    static constexpr int crDefault = 0;
    static constexpr int crHourGlass = -11;

    static Application& instance();

    QWidget* MainForm() const { return mainForm_; }
    void SetMainForm(QWidget* form) { mainForm_ = form; }

    // crDefault or crHourGlass.
    int Cursor() const { return cursor_; }
    void SetCursor(int cursor);

    // Builds a form of type T owned by the application (a child window of the main form's MDI area
    // when there is one), binds its wiring, then raises its OnCreate. An error in OnCreate destroys
    // the half-made form and travels on to the caller.
    template <typename T> T* CreateForm()
    {
        auto form = std::make_unique<T>(nullptr);
        T* raw = form.get();
        adoptForm(std::move(form));
        return raw;
    }

    // Runs `action`; EAbort ends it silently, any other error is shown through ShowError.
    // Returns false when the action failed.
    bool Guard(const std::function<void()>& action) noexcept;
    void HandleException(std::exception_ptr error) noexcept;
    // How many errors have been shown so far: a step can tell whether one it ran reported a failure
    // that was handled inside it.
    int ErrorsShown() const { return errorsShown_; }
    // The text the user reads for `error`; empty for the silent EAbort.
    static QString MessageOf(std::exception_ptr error) noexcept;

    UserPrompts& Prompts();
    // Installs the prompts; the previous ones are dropped. Without any, plain message boxes are used.
    void SetPrompts(std::unique_ptr<UserPrompts> prompts);
    // Installs `prompts` and hands back the ones they replace (null when none were installed), for a
    // step that answers or collects prompts itself for a while.
    std::unique_ptr<UserPrompts> ExchangePrompts(std::unique_ptr<UserPrompts> prompts);

    // True while the host closes because a signal (SIGTERM, SIGINT, SIGHUP) told it to quit: nobody
    // may be there to answer, so close steps do not ask whether to close after a failure.
    bool QuittingBySignal() const { return quittingBySignal_; }
    void SetQuittingBySignal(bool quitting) { quittingBySignal_ = quitting; }

    // Destroys the top-level forms still alive (forms without an MDI area to live in); done on quit.
    void ReleaseForms();

private:
    Application();
    ~Application() override;
    void adoptForm(std::unique_ptr<TForm> form);
    QMdiArea* mdiArea() const;
    void showError(const QString& message) noexcept;

    QPointer<QWidget> mainForm_;
    int cursor_ = crDefault;
    std::unique_ptr<UserPrompts> prompts_;
    QList<QPointer<TForm>> topLevelForms_;
    bool quitHooked_ = false;
    int errorsShown_ = 0;
    bool quittingBySignal_ = false;
};
