#pragma once

#include <QDate>
#include <QPoint>
#include <QString>
#include <QTemporaryDir>
#include <Qt>
#include <memory>

class AppServerProcess;
class HostMainWindow;
class HostStartup;
class ModuleLoader;
class QMainWindow;
class QMdiArea;
class QWidget;
class RecordingPrompts;
class ServerDatabase;
class TfrmMediEfeti;

// Everything the screen gets from its host, for tests, benchmarks and the screenshot tool: a real
// application server on a temporary SQLite file with the demo data, a settings file pointing at it, the
// local SQLite database with the demo branches and services, the host's own main window (offscreen) as
// the application's main form, and prompts that record what the user was shown and, like modal dialogs
// on a desktop, take the activation from the main window until a moment after they close. The module
// is linked in and entered through IniProc, as the host enters it.
class ScreenFixture {
public:
    // Grid columns, in the screen's order.
    enum Column { Code, Name, Staff, Price, Total };

    ScreenFixture();
    ~ScreenFixture();
    ScreenFixture(const ScreenFixture&) = delete;
    ScreenFixture& operator=(const ScreenFixture&) = delete;

    // Starts everything; raises std::runtime_error when a part cannot start. Fixes the locale to the
    // users' (Brazilian Portuguese: "1.234,50") and starts up as the host does for it: its title on
    // the dialogs, Qt's own texts in Portuguese.
    void setUp();
    // Closes the screen if it is open and stops the server.
    void tearDown();

    QMainWindow* mainWindow() const;
    HostMainWindow* hostWindow() const { return window_.get(); }
    QMdiArea* mdiArea() const { return mdi_; }
    // Fresh recording prompts, installed on the application.
    RecordingPrompts& resetPrompts();
    RecordingPrompts& prompts() const { return *prompts_; }
    // Installs prompts of the test's own kind (e.g. one that records more).
    RecordingPrompts& usePrompts(std::unique_ptr<RecordingPrompts> prompts);

    AppServerProcess& server() const { return *server_; }
    ServerDatabase& serverDb() const { return *db_; }
    quint16 port() const { return port_; }
    // Stops the server (SIGTERM); the screen's calls then fail.
    void stopServer();
    // Starts it again on the same port and database, so an open screen reaches it again.
    void startServer();
    bool serverRunning() const;
    // Points the host's settings at another server port (0: back at this fixture's server).
    void pointSettingsAt(quint16 port);

    // The host's IniProc; the screen, or null when it is not created. Errors travel on as the host
    // would receive them. The screen opens at its own size and place unless `whereLeft`: then where the host
    // remembers it.
    TfrmMediEfeti* openScreen(bool whereLeft = false);
    // Closes the screen as the close command does and waits until the instance is gone; a line left
    // open is discarded when the screen asks. False when it stayed open (the close step failed).
    bool closeScreen();
    // Activates the main window again (after a modal dialog, or at the start of a test).
    bool activate();

    // Typing as the user does: to whatever has the focus, once the main window is active again after
    // a dialog.
    static QWidget* focus();
    static void type(const QString& text);
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Selects the whole text of the focused box and types over it.
    static void retype(const QString& text);
    // In the grid: opens a new line with the Insert key and types its code, staff and price, a Tab after
    // each (the name column between code and staff is passed with one more).
    static void typeNewLine(const QString& service, const QString& staff, const QString& price);
    // A left click through the main window's native window, at `point` of `widget` (its centre when null).
    void click(QWidget* widget, QPoint point = {}) const;
    // A left click through the native window of `widget`'s own top level (a popup menu, a dialog).
    static void clickIn(QWidget* widget, QPoint point = {});
    // Waits until the main window is active again (the window manager's turn after a dialog).
    static bool settle();
    // Chooses `entry` of the host's menu `menu` (captions without '&') with the mouse.
    bool chooseHostMenu(const QString& menu, const QString& entry);

    // The billing date as it is typed: "ddMMyyyy".
    static QString dateKeys(QDate date);
    // Clicks into the branch code, types `branch`, Tab, types the date, Tab: the focus leaves the filter
    // panel for the grid and the lines are loaded. True when the focus ended in the grid.
    bool showLines(const QString& branch, QDate date);
    // Puts the grid on `row` and `column` as clicking on the cell does.
    bool clickCell(int row, int column);

    // The screen's grid as the user sees it.
    int rowCount() const;
    QString cell(int row, int column) const;
    // "code|name|staff|price|total" for each row shown.
    QStringList shownLines() const;

private:
    QTemporaryDir dir_;
    std::unique_ptr<HostStartup> startup_;
    std::unique_ptr<AppServerProcess> server_;
    std::unique_ptr<ServerDatabase> db_;
    std::unique_ptr<ModuleLoader> loader_;
    std::unique_ptr<HostMainWindow> window_;
    QMdiArea* mdi_ = nullptr;
    RecordingPrompts* prompts_ = nullptr;
    quint16 port_ = 0;
};
