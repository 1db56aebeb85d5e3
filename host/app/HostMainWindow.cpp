#include "HostMainWindow.h"

#include "Application.h"
#include "HostSession.h"
#include "HostSettings.h"
#include "HostStartup.h"
#include "ScreenStatus.h"
#include "SignInDialog.h"
#include "TForm.h"
#include "TNetConnection.h"
#include "WindowPlacement.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <algorithm>

namespace {

// The object every call of the screens goes to; Login is answered there too.
const QString ServerObject = QStringLiteral("Med00418.rdmMediEfeti");

} // namespace

HostMainWindow::HostMainWindow(ModuleLoader& loader)
    : loader_(loader), mdiArea_(new QMdiArea(this)), user_(new QLabel(this)),
      connection_(std::make_unique<TNetConnection>())
{
    connection_->SetServerName(ServerObject);
    setWindowTitle(HostStartup::Title());
    setCentralWidget(mdiArea_);
    mdiArea_->setObjectName(QStringLiteral("mdiArea"));
    QMenu* screens = menuBar()->addMenu(QStringLiteral("&Faturamento"));
    screens->setObjectName(QStringLiteral("mnuFaturamento"));
    QAction* medicao = screens->addAction(QStringLiteral("&Medição de Efetivos"));
    medicao->setObjectName(QStringLiteral("actMedicaoEfetivos"));
    connect(medicao, &QAction::triggered, this, [this] { openModule(QStringLiteral("Pkg_med00418")); });
    screens->addSeparator();
    QAction* switchUser = screens->addAction(QStringLiteral("&Trocar usuário..."));
    switchUser->setObjectName(QStringLiteral("actTrocarUsuario"));
    connect(switchUser, &QAction::triggered, this, &HostMainWindow::SwitchUser);
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
    user_->setObjectName(QStringLiteral("lblUsuario"));
    statusBar()->addPermanentWidget(user_);
    connect(&HostSession::instance(), &HostSession::changed, this, &HostMainWindow::showUser);
    new ScreenStatus(mdiArea_, totals);
    resize(1024, 700);
    new WindowPlacement(*this, *mdiArea_); // owned by this window
}

HostMainWindow::~HostMainWindow()
{
    if (asksAgain_)
        HostSession::instance().setRenewal({});
}

bool HostMainWindow::SignIn(const QString& login)
{
    const HostSettings settings;
    connection_->SetHost(settings.webUrl());
    connection_->SetPort(settings.webPort());
    bool signedIn = false;
    Application::instance().Guard([&] {
        connection_->Close();
        connection_->Open();
        signedIn = SignInDialog::ask(*connection_, this, {}, login);
    });
    if (signedIn && !std::exchange(asksAgain_, true))
        HostSession::instance().setRenewal([this](TNetConnection& connection) {
            const std::optional<HostSession::User>& user = HostSession::instance().user();
            return SignInDialog::ask(connection, this,
                                     QStringLiteral("Sua sessão terminou. Entre de novo para continuar."),
                                     user ? user->login : QString());
        });
    return signedIn;
}

void HostMainWindow::SwitchUser()
{
    if (!CloseScreens())
        return;
    HostSession::instance().signOut(*connection_);
    SignIn();
}

void HostMainWindow::showUser()
{
    const std::optional<HostSession::User>& user = HostSession::instance().user();
    user_->setText(user ? QStringLiteral("Usuário: %1 (%2)").arg(user->name, user->login) : QString());
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
