#include "platform/shutdown_signals.h"

#include <QSocketNotifier>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <cstdlib>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace kestrum {

namespace {

// The instance an exit() should end through; only the window's thread touches it.
ShutdownSignals* exitTarget = nullptr;
bool exitHandlerRegistered = false;

extern "C" void OnExit() {
    // X11 ends on the window's thread; an exit() from another thread (a display connection's
    // reader) cannot touch the window's objects while that thread may still be using them.
    if (exitTarget != nullptr && QThread::currentThread() == exitTarget->thread()) {
        exitTarget->RunOnce(0);
    }
}

#ifdef Q_OS_UNIX
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

// Read by the signal handler: only a descriptor, set before the handlers are installed.
volatile sig_atomic_t handlerFd = -1;

extern "C" void OnSignal(int signal) {
    // Only async-signal-safe calls: write() of one byte, errno kept for the code interrupted.
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(handlerFd, &byte, 1);
    errno = saved;
}
#endif

}  // namespace

void IgnoreFileSizeSignal() {
#ifdef Q_OS_UNIX
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

ShutdownSignals::ShutdownSignals(std::function<void()> shutdown, QObject* parent)
    : QObject(parent), shutdown_(std::move(shutdown)) {
#ifdef Q_OS_UNIX
    // Non-blocking: a handler never waits on a full socket (one byte per signal is plenty).
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds_) == 0) {
        handlerFd = fds_[0];
        notifier_ = std::make_unique<QSocketNotifier>(fds_[1], QSocketNotifier::Read);
        connect(notifier_.get(), &QSocketNotifier::activated, this, &ShutdownSignals::ReadSignal);
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (const int signal : kSignals) {
            ::sigaction(signal, &action, nullptr);
        }
    }
#endif
    exitTarget = this;
    if (!exitHandlerRegistered) {
        exitHandlerRegistered = std::atexit(OnExit) == 0;
    }
}

ShutdownSignals::~ShutdownSignals() {
    if (exitTarget == this) {
        exitTarget = nullptr;
    }
#ifdef Q_OS_UNIX
    for (const int signal : kSignals) {
        std::signal(signal, SIG_DFL);
    }
    handlerFd = -1;
    notifier_.reset();
    for (const int fd : fds_) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
#endif
}

void ShutdownSignals::ReadSignal() {
#ifdef Q_OS_UNIX
    unsigned char byte = 0;
    int signal = 0;
    while (::read(fds_[1], &byte, 1) == 1) {
        signal = byte;
    }
    if (signal != 0) {
        RunOnce(signal);
    }
#endif
}

void ShutdownSignals::RunOnce(int signal) {
    if (done_) {
        return;
    }
    done_ = true;
    signal_ = signal;
    if (exitTarget == this) {
        exitTarget = nullptr;
    }
    shutdown_();
}

}  // namespace kestrum
