#include "HostMainWindow.h"

#include "Application.h"

#include <QMdiArea>
#include <QMenuBar>

HostMainWindow::HostMainWindow(ModuleLoader& loader) : loader_(loader), mdiArea_(new QMdiArea(this))
{
    setWindowTitle(QStringLiteral("Gestão de Faturamento"));
    setCentralWidget(mdiArea_);
    mdiArea_->setObjectName(QStringLiteral("mdiArea"));
    QMenu* screens = menuBar()->addMenu(QStringLiteral("&Faturamento"));
    QAction* medicao = screens->addAction(QStringLiteral("&Medição de Efetivos"));
    medicao->setObjectName(QStringLiteral("actMedicaoEfetivos"));
    connect(medicao, &QAction::triggered, this, [this] { openModule(QStringLiteral("Pkg_med00418")); });
    screens->addSeparator();
    QAction* quit = screens->addAction(QStringLiteral("&Sair"));
    connect(quit, &QAction::triggered, this, &QMainWindow::close);
    resize(1024, 700);
}

void HostMainWindow::openModule(const QString& moduleName)
{
    Application::instance().Guard([&] { loader_.open(moduleName); });
}
