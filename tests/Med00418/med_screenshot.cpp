#include "AppServerProcess.h"
#include "Application.h"
#include "DarkPalette.h"
#include "DialogPrompts.h"
#include "Med00418.h"
#include "RecordingPrompts.h"
#include "ScreenFixture.h"
#include "ServerDatabase.h"
#include "TBtnPesquisa.h"
#include "TButtonFlat.h"
#include "TfrmMediEfeti.h"

#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPainter>
#include <QTextBrowser>
#include <QTimer>
#include <cstdio>
#include <exception>
#include <functional>

namespace {

// The main window with `dialog` over it where the desktop put it. Offscreen there is no window manager
// to frame the dialog, so a plain border stands in for its frame.
QImage withDialog(QWidget& main, QWidget& dialog)
{
    const QRect mainRect(QPoint(0, 0), main.size());
    const QRect dialogRect(dialog.mapToGlobal(QPoint(0, 0)) - main.mapToGlobal(QPoint(0, 0)), dialog.size());
    const QRect canvas = mainRect.united(dialogRect.adjusted(-1, -1, 1, 1));
    const qreal ratio = main.devicePixelRatioF();
    QImage image(canvas.size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(main.palette().color(QPalette::Window));
    QPainter painter(&image);
    painter.translate(-canvas.topLeft());
    painter.drawPixmap(mainRect.topLeft(), main.grab());
    painter.drawPixmap(dialogRect.topLeft(), dialog.grab());
    painter.setPen(main.palette().color(QPalette::Dark));
    painter.drawRect(dialogRect.adjusted(-1, -1, 0, 0));
    return image;
}

// Does `action` with the desktop's dialogs; the first modal dialog it opens is saved over the main
// window to `path` and closed. False when no dialog came or the picture was not written.
bool saveDialogOf(ScreenFixture& fixture, const std::function<void()>& action, const QString& path)
{
    Application::instance().SetPrompts(std::make_unique<DialogPrompts>());
    bool saved = false;
    bool seen = false;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || seen)
            return;
        seen = true;
        saved = withDialog(*fixture.mainWindow(), *dialog).save(path, "PNG");
        dialog->done(0);
    });
    poll.start();
    action();
    fixture.resetPrompts();
    return saved;
}

// A save to a server that answers late: the main window once the busy sign has counted a second.
bool busySave(ScreenFixture& fixture, TfrmMediEfeti& screen, const QString& path)
{
    Application::instance().SetPrompts(std::make_unique<DialogPrompts>());
    fixture.clickCell(0, ScreenFixture::Staff);
    ScreenFixture::type(QStringLiteral("7"));
    bool saved = false;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const auto* sign = fixture.mainWindow()->findChild<QWidget*>(QStringLiteral("BusyIndicator"));
        if (saved || !sign || !sign->isVisible() ||
            !sign->accessibleName().contains(QStringLiteral("1\u00A0s")))
            return;
        saved = fixture.mainWindow()->grab().save(path, "PNG");
        fixture.server().resume();
    });
    if (fixture.server().pause()) {
        poll.start();
        fixture.click(screen.sbtConfirmar);
        fixture.server().resume();
    }
    fixture.resetPrompts();
    return saved;
}

enum class Shot { Screen, Dark, Error, Lookup, Help, Find, Busy, Conflict };

Shot shotOf(int argc, char* argv[])
{
    const QByteArray option = argc == 3 ? QByteArray(argv[2]) : QByteArray();
    if (option == "--dark")
        return Shot::Dark;
    if (option == "--error")
        return Shot::Error;
    if (option == "--lookup")
        return Shot::Lookup;
    const std::pair<const char*, Shot> more[] = {{"--help", Shot::Help},
                                                 {"--find", Shot::Find},
                                                 {"--busy", Shot::Busy},
                                                 {"--conflict", Shot::Conflict}};
    for (const auto& [name, shot] : more) {
        if (option == name)
            return shot;
    }
    if (argc != 2)
        throw std::invalid_argument("usage: med_screenshot PATH.png [--dark | --error | --lookup | --help | "
                                    "--find | --busy | --conflict]");
    return Shot::Screen;
}

void take(Shot shot, const QString& path)
{
    if (shot == Shot::Dark)
        QApplication::setPalette(darkPalette());
    ScreenFixture fixture;
    fixture.setUp();
    fixture.mainWindow()->setWindowTitle(QStringLiteral("Gestão de Faturamento"));
    fixture.mainWindow()->resize(660, 400);
    TfrmMediEfeti* screen = fixture.openScreen();
    if (!screen || !fixture.activate())
        throw std::runtime_error("the screen did not open");
    qobject_cast<QMdiSubWindow*>(screen->parentWidget())->move(8, 8);
    if (!fixture.showLines(QStringLiteral("1"), QDate::currentDate().addDays(-1)))
        throw std::runtime_error("the lines did not load");
    fixture.click(screen->btnImporta);
    if (!fixture.prompts().errors.isEmpty())
        throw std::runtime_error(fixture.prompts().errors.join(QLatin1Char('\n')).toStdString());
    QApplication::processEvents();
    bool saved = false;
    if (shot == Shot::Error) {
        // What the clerk reads when the server went away between two calls.
        fixture.stopServer();
        saved = saveDialogOf(
            fixture, [&] { fixture.click(screen->btnImporta); }, path);
        fixture.startServer();
    } else if (shot == Shot::Lookup) {
        saved = saveDialogOf(
            fixture, [&] { fixture.click(screen->btpFilial); }, path);
    } else if (shot == Shot::Help) {
        fixture.click(screen->sbtAjuda);
        screen->hlpMediEfeti->resize(620, 480);
        saved = screen->hlpMediEfeti->grab().save(path, "PNG");
        screen->hlpMediEfeti->close();
    } else if (shot == Shot::Find) {
        fixture.click(screen->sbtProcurar);
        ScreenFixture::type(QStringLiteral("limp"));
        saved = fixture.mainWindow()->grab().save(path, "PNG");
    } else if (shot == Shot::Busy) {
        saved = busySave(fixture, *screen, path);
    } else if (shot == Shot::Conflict) {
        // Another clerk saves the first line while this one types over it.
        fixture.clickCell(0, ScreenFixture::Staff);
        ScreenFixture::type(QStringLiteral("7"));
        fixture.serverDb().exec(
            QStringLiteral("UPDATE USR_EFETGEST SET USR_QTEFETGEST = USR_QTEFETGEST + 10000 "
                           "WHERE USR_CDFILIAL = '0001' AND USR_CDSERVFILI = ?"),
            {fixture.cell(0, ScreenFixture::Code)});
        saved = saveDialogOf(
            fixture, [&] { fixture.click(screen->sbtConfirmar); }, path);
    } else {
        saved = fixture.mainWindow()->grab().save(path, "PNG");
    }
    if (!saved)
        throw std::runtime_error("could not write the picture");
    fixture.tearDown();
}

} // namespace

// med_screenshot PATH [--dark | --error | --lookup | --help | --find | --busy | --conflict]: the screen
// opened offscreen against a temporary server with the demo data, branch 0001 shown on yesterday's date
// with its billing imported, saved as a PNG of the main window. --dark paints it under a dark desktop
// palette; --error adds the message a lost server gives on the next import; --lookup the branch's search
// dialog; --help the help window; --find the find box with "limp" typed; --busy the busy sign of a save
// the server answers late; --conflict the message of a line another clerk saved first. QT_SCALE_FACTOR
// scales it.
int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    try {
        take(shotOf(argc, argv), QString::fromLocal8Bit(argv[1]));
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "med_screenshot: %s\n", e.what());
        return 1;
    }
    return 0;
}
