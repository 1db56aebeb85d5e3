#include "Application.h"

#include "EAbort.h"
#include "Exception.h"
#include "MessageBoxPrompts.h"
#include "TForm.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <algorithm>

namespace {

// Ctrl+F4 closes a child window on every desktop, not only where the platform binds it to Close next to
// Ctrl+W: it goes on the window's own close entry, so it takes the same way as the other keys.
void addCloseKey(QMdiSubWindow& window)
{
    const QKeySequence ctrlF4(Qt::CTRL | Qt::Key_F4);
    const QList<QKeySequence> closeKeys = QKeySequence::keyBindings(QKeySequence::Close);
    for (QAction* action : window.systemMenu()->actions()) {
        QList<QKeySequence> keys = action->shortcuts();
        const bool closes = std::any_of(keys.cbegin(), keys.cend(),
                                        [&](const QKeySequence& key) { return closeKeys.contains(key); });
        if (closes && !keys.contains(ctrlF4)) {
            keys.append(ctrlF4);
            action->setShortcuts(keys);
        }
    }
}

} // namespace

Application& Application::instance()
{
    static Application application;
    return application;
}

Application::Application() = default;

Application::~Application()
{
    // Widgets can only go while the QApplication still exists.
    if (QCoreApplication::instance())
        ReleaseForms();
}

void Application::SetCursor(int cursor)
{
    if (cursor == cursor_)
        return;
    if (cursor_ == crHourGlass)
        QApplication::restoreOverrideCursor();
    cursor_ = cursor;
    if (cursor_ == crHourGlass)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

bool Application::Guard(const std::function<void()>& action) noexcept
{
    try {
        action();
        return true;
    } catch (...) {
        HandleException(std::current_exception());
        return false;
    }
}

void Application::HandleException(std::exception_ptr error) noexcept
{
    const QString message = MessageOf(error);
    if (!message.isEmpty())
        showError(message);
}

QString Application::MessageOf(std::exception_ptr error) noexcept
{
    if (!error)
        return {};
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        return {};
    } catch (const Exception& e) {
        return e.Message().isEmpty() ? QStringLiteral("Ocorreu um erro inesperado.") : e.Message();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Ocorreu um erro inesperado.");
    }
}

void Application::showError(const QString& message) noexcept
{
    ++errorsShown_;
    try {
        Prompts().ShowError(message);
    } catch (...) {
        qWarning("Could not show error: %s", qUtf8Printable(message));
    }
}

UserPrompts& Application::Prompts()
{
    if (!prompts_)
        prompts_ = std::make_unique<MessageBoxPrompts>();
    return *prompts_;
}

void Application::SetPrompts(std::unique_ptr<UserPrompts> prompts)
{
    prompts_ = std::move(prompts);
}

std::unique_ptr<UserPrompts> Application::ExchangePrompts(std::unique_ptr<UserPrompts> prompts)
{
    return std::exchange(prompts_, std::move(prompts));
}

void Application::ReleaseForms()
{
    const auto forms = std::exchange(topLevelForms_, {});
    for (const QPointer<TForm>& form : forms)
        delete form.data();
}

QMdiArea* Application::mdiArea() const
{
    return mainForm_ ? mainForm_->findChild<QMdiArea*>() : nullptr;
}

void Application::adoptForm(std::unique_ptr<TForm> form)
{
    TForm* raw = form.get();
    QWidget* holder = raw;
    if (QMdiArea* area = mdiArea()) {
        auto window = std::make_unique<QMdiSubWindow>();
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        if (raw->testAttribute(Qt::WA_Resized)) // bounds given while the form had no window of its own
            window->setGeometry(raw->geometry());
        window->setWidget(form.release());
        addCloseKey(*window);
        holder = window.get();
        area->addSubWindow(window.release());
        connect(area, &QMdiArea::subWindowActivated, raw, [raw, holder](QMdiSubWindow* active) {
            if (active == holder)
                raw->Activated();
        });
    } else if (mainForm_) {
        form.release()->setParent(mainForm_, Qt::Window);
    } else {
        topLevelForms_.append(form.release());
        if (!quitHooked_) {
            quitHooked_ = true;
            connect(qApp, &QCoreApplication::aboutToQuit, this, &Application::ReleaseForms);
        }
    }
    try {
        raw->Create();
    } catch (...) {
        topLevelForms_.removeAll(raw);
        delete holder;
        throw;
    }
}
