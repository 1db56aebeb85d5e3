#include "DarkPalette.h"
#include "Med00418.h"
#include "RecordingPrompts.h"
#include "ScreenFixture.h"
#include "TButtonFlat.h"
#include "TfrmMediEfeti.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <cstdio>
#include <exception>

// med_screenshot PATH [--dark]: the screen opened offscreen against a temporary server with the demo
// data, branch 0001 shown on yesterday's date with its billing imported, saved as a PNG of the main
// window; --dark paints it under a dark desktop palette. QT_SCALE_FACTOR scales it as usual.
int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool dark = argc == 3 && QByteArray(argv[2]) == "--dark";
    if (argc != 2 && !dark) {
        std::fprintf(stderr, "usage: med_screenshot PATH.png [--dark]\n");
        return 2;
    }
    if (dark)
        QApplication::setPalette(darkPalette());
    try {
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
        if (!fixture.mainWindow()->grab().save(QString::fromLocal8Bit(argv[1]), "PNG"))
            throw std::runtime_error("could not write the picture");
        fixture.tearDown();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "med_screenshot: %s\n", e.what());
        return 1;
    }
    return 0;
}
