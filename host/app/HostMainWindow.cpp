#include "HostMainWindow.h"

#include "Application.h"
#include "HostStartup.h"
#include "ScreenStatus.h"
#include "TForm.h"
#include "WindowPlacement.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <algorithm>

HostMainWindow::HostMainWindow(ModuleLoader& loader) : loader_(loader), mdiArea_(new QMdiArea(this))
{
    setWindowTitle(HostStartup::Title());
    setCentralWidget(mdiArea_);
    mdiArea_->setObjectName(QStringLiteral("mdiArea"));
    QMenu* screens = menuBar()->addMenu(QStringLiteral("&Faturamento"));
    screens->setObjectName(QStringLiteral("mnuFaturamento"));
    QAction* medicao = screens->addAction(QStringLiteral("&Medição de Efetivos"));
    medicao->setObjectName(QStringLiteral("actMedicaoEfetivos"));
    connect(medicao, &QAction::triggered, this, [this] { openModule(QStringLiteral("Pkg_med00418")); });
    screens->addSeparator();
    QAction* quit = screens->addAction(QStringLiteral("&Sair"));
    quit->setObjectName(QStringLiteral("actSair"));
    connect(quit, &QAction::triggered, this, &QMainWindow::close);
    QMenu* windows = menuBar()->addMenu(QStringLiteral("&Janela"));
    windows->setObjectName(QStringLiteral("mnuJanela"));
    QAction* closeScreen = windows->addAction(QStringLiteral("&Fechar"));
    closeScreen->setObjectName(QStringLiteral("actFecharJanela"));
    connect(closeScreen, &QAction::triggered, mdiArea_, &QMdiArea::closeActiveSubWindow);
    auto* totals = new QLabel(statusBar());
    totals->setObjectName(QStringLiteral("lblTotais"));
    statusBar()->addPermanentWidget(totals);
    new ScreenStatus(mdiArea_, totals);
    resize(1024, 700);
    new WindowPlacement(*this, *mdiArea_); // owned by this window
}

void HostMainWindow::openModule(const QString& moduleName)
{
    Application::instance().Guard([&] { loader_.open(moduleName); });
}

bool HostMainWindow::CloseScreens()
{
    QList<QMdiSubWindow*> windows = mdiArea_->subWindowList(QMdiArea::ActivationHistoryOrder);
    std::reverse(windows.begin(), windows.end());
    for (QMdiSubWindow* window : windows) {
        if (!window->isVisible())
            continue; // already closed, waiting to be deleted
        bool closed = false;
        if (auto* form = qobject_cast<TForm*>(window->widget()))
            Application::instance().Guard([&] { closed = form->Close(); });
        else
            closed = window->close();
        if (!closed) {
            mdiArea_->setActiveSubWindow(window);
            return false;
        }
    }
    return true;
}

void HostMainWindow::closeEvent(QCloseEvent* event)
{
    if (CloseScreens())
        event->accept();
    else
        event->ignore();
}
