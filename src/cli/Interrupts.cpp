#include "cli/Interrupts.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

int g_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_raised = 0;
Interrupts *g_instance = nullptr;

extern "C" void onSignal(int signal)
{
    g_raised = signal;
    if (g_pipe[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    }
    ::alarm(Interrupts::GraceSeconds);
}

// The grace after a signal is over: whatever holds the program, it ends now.
extern "C" void onGraceOver(int)
{
    // Standard error may be what holds it: the line only when it is taken now.
    static const char line[] = "velmora-cli: interrupted\n";
    pollfd error = {STDERR_FILENO, POLLOUT, 0};
    if (::poll(&error, 1, 0) == 1 && (error.revents & POLLOUT)) {
        [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, line, sizeof line - 1);
    }
    ::_exit(128 + (g_raised ? int(g_raised) : SIGALRM));
}

} // namespace

Interrupts::Interrupts()
{
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        while (::read(g_pipe[0], buffer, sizeof buffer) > 0) {
        }
        emit interrupted();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // The second signal finds the default action again.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    struct sigaction grace = {};
    grace.sa_handler = onGraceOver;
    sigemptyset(&grace.sa_mask);
    ::sigaction(SIGALRM, &grace, nullptr);
}

Interrupts &Interrupts::install()
{
    if (!g_instance)
        g_instance = new Interrupts;
    return *g_instance;
}

Interrupts *Interrupts::instance()
{
    return g_instance;
}

bool Interrupts::raised() const
{
    return g_raised != 0;
}

int Interrupts::signal() const
{
    return g_raised;
}
