#include "QuitOnSignals.h"

#include "Application.h"

#include <QSocketNotifier>
#include <QWidget>
#include <array>
#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace {

constexpr std::array handled{SIGTERM, SIGINT, SIGHUP};
// The handler may only write to a pipe; the event loop reads the other end.
int pipeEnds[2] = {-1, -1};
struct sigaction previous[handled.size()];

extern "C" void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(pipeEnds[1], &byte, 1);
}

} // namespace

QuitOnSignals::QuitOnSignals(QWidget* window) : window_(window)
{
    if (pipeEnds[0] >= 0)
        throw std::logic_error("QuitOnSignals is installed already");
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("no pipe for the quit signals");
    notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &QuitOnSignals::signalled);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < handled.size(); ++i)
        ::sigaction(handled[i], &action, &previous[i]);
}

QuitOnSignals::~QuitOnSignals()
{
    for (std::size_t i = 0; i < handled.size(); ++i)
        ::sigaction(handled[i], &previous[i], nullptr);
    delete notifier_;
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

void QuitOnSignals::signalled()
{
    char bytes[16];
    while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) {
    }
    if (!window_)
        return;
    // The screens' close steps run inside close(); one that stays open (a line the clerk keeps)
    // keeps the host running, and asking as usual.
    Application::instance().SetQuittingBySignal(true);
    window_->close();
    Application::instance().SetQuittingBySignal(false);
}
