#pragma once
// One running Kestrum per user: a later start asks the running one to come to the front
// and ends before it shows a window.

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QWidget;

namespace kestrum {

// What a later start sends to the running one; one line per request.
inline constexpr auto kActivateRequest = "activate\n";
// How long a later start waits to reach the running one before it gives up on it.
inline constexpr int kHandOverTimeoutMs = 2000;
// Shown when the check could not be made, with ErrorText() after it.
inline constexpr auto kMsgInstanceCheckFailed =
    "Warning: Kestrum could not make sure that it runs only once; a second Kestrum may find "
    "its port in use: ";

class SingleInstance final : public QObject {
    Q_OBJECT
public:
    // serverName: the local socket to meet on. The default is private to the user;
    // tests pass a name (or an absolute socket path) of their own. A name whose socket path
    // is too long for a local socket is replaced by a short one derived from it in a private
    // folder of the user (/tmp/kestrum-<uid>, 0700), so the check works wherever it runs.
    explicit SingleInstance(QString serverName = DefaultServerName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // Per-user name: a socket in the user's private runtime folder on Unix (without one, in
    // /tmp/kestrum-<uid>), "Kestrum-<user>" elsewhere.
    static QString DefaultServerName();

    // true: a running instance was reached and asked to activate; the caller ends with
    // status 0 without showing a window.
    // false: no instance runs (a socket left by a crashed run is removed); this object now
    // listens and raises ActivateRequested for every later start. Also false, with
    // IsRunningInstance() false, when the socket cannot be created at all: the program
    // then runs without single-instance protection rather than not at all, and says so
    // (kMsgInstanceCheckFailed).
    bool HandOverToRunning();

    bool IsRunningInstance() const;
    const QString& ServerName() const { return serverName_; }
    // Why the last HandOverToRunning could neither hand over nor listen; empty otherwise.
    const QString& ErrorText() const { return errorText_; }

signals:
    void ActivateRequested();

private:
    enum class Reach { HandedOver, NobodyThere, StaleSocket };
    Reach TryHandOver() const;
    bool TryListen();
    void OnNewConnection();
    void OnRequestData(QLocalSocket* socket);

    QString serverName_;
    QString errorText_;
    std::unique_ptr<QLocalServer> server_;
};

// Restores a minimised window, raises it and gives it the focus: what a later start
// asks of the running instance's main window.
void BringToFront(QWidget& window);

}  // namespace kestrum
