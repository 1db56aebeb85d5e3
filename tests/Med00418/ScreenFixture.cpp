#include "ScreenFixture.h"

#include "AppServerProcess.h"
#include "Application.h"
#include "HostMainWindow.h"
#include "HostSettings.h"
#include "HostStartup.h"
#include "HostTestSignIn.h"
#include "LocalDemoDatabase.h"
#include "Med00418.h"
#include "ModuleLoader.h"
#include "RecordingPrompts.h"
#include "ServerDatabase.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TMaskEdit.h"
#include "TfrmMediEfeti.h"
#include "dtmDBGeral.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSettings>
#include <QTest>
#include <stdexcept>

ScreenFixture::ScreenFixture() = default;

ScreenFixture::~ScreenFixture()
{
    tearDown();
}

void ScreenFixture::setUp()
{
    if (!dir_.isValid())
        throw std::runtime_error("no temporary folder");
    signInAsTestAccountWhenAsked();
    const QLocale users(QLocale::Portuguese, QLocale::Brazil);
    QLocale::setDefault(users);
    startup_ = std::make_unique<HostStartup>(users);
    resetPrompts();

    server_ = std::make_unique<AppServerProcess>(dir_.filePath(QStringLiteral("server.db")),
                                                 QStringList{QStringLiteral("--seed-demo")});
    server_->start();
    port_ = server_->port();
    db_ = std::make_unique<ServerDatabase>(server_->database());
    pointSettingsAt(0);

    LocalDatabaseSettings local;
    local.driver = QStringLiteral("QSQLITE");
    local.database = dir_.filePath(QStringLiteral("local.db"));
    TdtmDBGeral::open(LocalDemoDatabase::prepare(local));

    loader_ = std::make_unique<ModuleLoader>(QCoreApplication::applicationDirPath());
    window_ = std::make_unique<HostMainWindow>(*loader_);
    mdi_ = window_->mdiArea();
    window_->resize(900, 580);
    Application::instance().SetMainForm(window_.get());
    window_->show();
    if (!activate())
        throw std::runtime_error("the main window did not become active");
}

void ScreenFixture::tearDown()
{
    if (boStCriado && serverRunning())
        closeScreen();
    if (server_)
        server_->stop();
    db_.reset();
    server_.reset();
    Application::instance().SetMainForm(nullptr);
    window_.reset();
    loader_.reset();
    mdi_ = nullptr;
    startup_.reset();
}

QMainWindow* ScreenFixture::mainWindow() const
{
    return window_.get();
}

void ScreenFixture::pointSettingsAt(quint16 port)
{
    const QString path = dir_.filePath(QStringLiteral("med00418.ini"));
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(QStringLiteral("Servidor/WebURL"), QStringLiteral("127.0.0.1"));
    settings.setValue(QStringLiteral("Servidor/WebPort"), port == 0 ? port_ : port);
    settings.setValue(QStringLiteral("BancoLocal/Driver"), QStringLiteral("QSQLITE"));
    settings.setValue(QStringLiteral("BancoLocal/Database"), dir_.filePath(QStringLiteral("local.db")));
    settings.sync();
    qputenv("MED_SETTINGS", path.toLocal8Bit());
}

RecordingPrompts& ScreenFixture::resetPrompts()
{
    prompts_ = &installRecordingPrompts();
    prompts_->likeDesktop = true;
    return *prompts_;
}

RecordingPrompts& ScreenFixture::usePrompts(std::unique_ptr<RecordingPrompts> prompts)
{
    prompts_ = prompts.get();
    prompts_->likeDesktop = true;
    Application::instance().SetPrompts(std::move(prompts));
    return *prompts_;
}

void ScreenFixture::stopServer()
{
    server_->stop();
}

void ScreenFixture::startServer()
{
    if (server_->running())
        return;
    server_ = std::make_unique<AppServerProcess>(
        server_->database(), QStringList{QStringLiteral("--seed-demo"), QStringLiteral("--listen"),
                                         QStringLiteral("127.0.0.1:%1").arg(port_)});
    server_->start();
    if (server_->port() != port_)
        throw std::runtime_error("the server came back on another port");
}

bool ScreenFixture::serverRunning() const
{
    return server_ && server_->running();
}

TfrmMediEfeti* ScreenFixture::openScreen(bool whereLeft)
{
    // The host remembers the last place; a test that resized the screen must not move the next one.
    if (!whereLeft)
        QSettings(HostSettings::filePath(), QSettings::IniFormat)
            .remove(QStringLiteral("Janelas/frmMediEfeti"));
    IniProc();
    return boStCriado ? frmMediEfeti : nullptr;
}

bool ScreenFixture::closeScreen()
{
    if (!boStCriado)
        return true;
    QPointer<TfrmMediEfeti> screen = frmMediEfeti;
    const TDataSetState state = screen->cdsEfetGest->State();
    const bool lineOpen = state == TDataSetState::dsEdit || state == TDataSetState::dsInsert;
    if (lineOpen)
        prompts_->openLineAnswers.prepend(UserPrompts::OpenLineAnswer::Discard);
    const int asked = int(prompts_->questions.size());
    Application::instance().Guard([&] { screen->Close(); });
    if (lineOpen && prompts_->questions.size() == asked) // nothing typed: not asked
        prompts_->openLineAnswers.removeFirst();
    if (boStCriado)
        return false;
    return QTest::qWaitFor([&] { return screen.isNull(); }, 5000);
}

bool ScreenFixture::activate()
{
    window_->activateWindow();
    return QTest::qWaitForWindowActive(window_.get());
}

bool ScreenFixture::settle()
{
    QWidget* main = Application::instance().MainForm();
    return !main || !main->isVisible() || main->isActiveWindow() || QTest::qWaitForWindowActive(main, 2000);
}

QWidget* ScreenFixture::focus()
{
    settle();
    return QApplication::focusWidget();
}

void ScreenFixture::type(const QString& text)
{
    for (const QChar c : text)
        QTest::keyClick(focus(), c.toLatin1());
}

void ScreenFixture::press(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(focus(), key, modifiers);
}

void ScreenFixture::retype(const QString& text)
{
    press(Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        press(Qt::Key_Delete);
    type(text);
}

void ScreenFixture::typeNewLine(const QString& service, const QString& staff, const QString& price)
{
    press(Qt::Key_Insert);
    type(service);
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    type(staff);
    press(Qt::Key_Tab);
    type(price);
    press(Qt::Key_Tab);
}

void ScreenFixture::click(QWidget* widget, QPoint point) const
{
    settle();
    const QPoint at = point.isNull() ? widget->rect().center() : point;
    QTest::mouseClick(window_->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      widget->mapTo(window_.get(), at));
}

void ScreenFixture::clickIn(QWidget* widget, QPoint point)
{
    QWidget* top = widget->window();
    const QPoint at = point.isNull() ? widget->rect().center() : point;
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, Qt::NoModifier, widget->mapTo(top, at));
}

bool ScreenFixture::chooseHostMenu(const QString& menu, const QString& entry)
{
    const auto caption = [](const QAction* action) { return action->text().remove(QLatin1Char('&')); };
    QMenuBar* bar = window_->menuBar();
    for (QAction* title : bar->actions()) {
        if (caption(title) != menu)
            continue;
        click(bar, bar->actionGeometry(title).center());
        QMenu* popup = title->menu();
        if (!QTest::qWaitFor([popup] { return popup->isVisible(); }, 2000))
            return false;
        for (QAction* action : popup->actions()) {
            if (caption(action) == entry) {
                clickIn(popup, popup->actionGeometry(action).center());
                return true;
            }
        }
        popup->close();
    }
    return false;
}

QString ScreenFixture::dateKeys(QDate date)
{
    return date.toString(QStringLiteral("ddMMyyyy"));
}

bool ScreenFixture::showLines(const QString& branch, QDate date)
{
    TfrmMediEfeti* screen = frmMediEfeti;
    if (!boStCriado || !screen)
        return false;
    click(screen->medCdFilial);
    if (focus() != screen->medCdFilial)
        return false;
    retype(branch);
    press(Qt::Key_Tab);
    retype(dateKeys(date));
    press(Qt::Key_Tab);
    QWidget* now = focus();
    return now && (now == screen->dbgData || screen->dbgData->isAncestorOf(now));
}

bool ScreenFixture::clickCell(int row, int column)
{
    TDBGrid* grid = frmMediEfeti->dbgData;
    const QRect rect = grid->visualRect(grid->model()->index(row, column));
    if (!rect.isValid())
        return false;
    click(grid->viewport(), rect.center());
    return grid->currentIndex().row() == row && grid->SelectedIndex() == column;
}

int ScreenFixture::rowCount() const
{
    return frmMediEfeti->dbgData->model()->rowCount();
}

QString ScreenFixture::cell(int row, int column) const
{
    const QAbstractItemModel* model = frmMediEfeti->dbgData->model();
    return model->index(row, column).data(Qt::DisplayRole).toString();
}

QStringList ScreenFixture::shownLines() const
{
    QStringList out;
    for (int row = 0; row < rowCount(); ++row) {
        QStringList cells;
        for (int column = Code; column <= Total; ++column)
            cells << cell(row, column);
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}
