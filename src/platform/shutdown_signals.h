#pragma once
// The ways a session ends without the main window being closed, made to end it as closing
// does (the capture flushed, the port closed and its lock file removed):
// - SIGTERM (shutdown, logout, kill), SIGHUP (the terminal or session went away) and SIGINT
//   (Ctrl+C): the handler only writes the signal's number to a socket pair; the window's thread
//   reads it through a QSocketNotifier and runs the shutdown there, between events;
// - a lost display connection: Qt's X11 plugin ends the process with exit() from the window's
//   thread, so the shutdown runs from an exit handler, before the objects it uses are gone
//   (they live in main()). An exit from another thread, or an _exit(), runs nothing.
// And SIGXFSZ is ignored for good: a write past the file size limit (ulimit -f) then fails with
// "File too large", and the message a full disk gets is shown instead of the process dying.

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace kestrum {

// Makes a write past the file size limit fail instead of ending the process.
void IgnoreFileSizeSignal();

class ShutdownSignals final : public QObject {
public:
    // `shutdown` runs at most once, on the thread that created this object. One instance at a
    // time; while it lives, it owns the three signals' handlers.
    explicit ShutdownSignals(std::function<void()> shutdown, QObject* parent = nullptr);
    // Puts the default handlers back; an exit() after this runs nothing.
    ~ShutdownSignals() override;

    ShutdownSignals(const ShutdownSignals&) = delete;
    ShutdownSignals& operator=(const ShutdownSignals&) = delete;

    // Runs the shutdown now unless it has run: `signal` is the one that asked, 0 for exit().
    void RunOnce(int signal);
    // Whether the shutdown has run, and the signal that asked for it (0: none, or exit()).
    bool ShutDown() const { return done_; }
    int Signal() const { return signal_; }

private:
    void ReadSignal();

    std::function<void()> shutdown_;
    std::unique_ptr<QSocketNotifier> notifier_;
    int fds_[2] = {-1, -1};  // [0] written by the handler, [1] read here
    bool done_ = false;
    int signal_ = 0;
};

}  // namespace kestrum
