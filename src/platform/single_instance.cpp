#include "platform/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QWidget>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#endif

namespace kestrum {

namespace {

// A request line longer than this is not ours; the connection is dropped.
constexpr qint64 kMaxRequestBytes = 256;
// Reaching the running instance, removing a stale socket and listening can race with
// another start doing the same; a few rounds settle who runs.
constexpr int kClaimAttempts = 3;

#ifdef Q_OS_UNIX

// A local socket's path fits in sockaddr_un's 108 bytes with its terminating NUL.
constexpr qsizetype kMostSocketPathBytes = 107;

// Short, per user, and made private (0700) before use: where the socket goes when the usual
// place gives too long a path, or there is no runtime folder.
QString PrivateFolder() {
    return QStringLiteral("/tmp/kestrum-%1").arg(::getuid());
}

// The socket path QLocalServer uses for `name`: itself when absolute, else in the temp folder.
QString SocketPath(const QString& name) {
    return name.startsWith(QLatin1Char('/')) ? name : QDir::tempPath() + QLatin1Char('/') + name;
}

// `name`, or when its socket path does not fit, a short name in the private folder derived
// from it: every start given the same name meets on the same short one.
QString UsableName(const QString& name) {
    const QByteArray path = QFile::encodeName(SocketPath(name));
    if (path.size() <= kMostSocketPathBytes) {
        return name;
    }
    const QByteArray digest =
        QCryptographicHash::hash(path, QCryptographicHash::Sha1).toHex().left(16);
    return PrivateFolder() + QLatin1Char('/') + QString::fromLatin1(digest);
}

// Creates the private folder when the socket is to live there; it must be a folder of this
// user's that nobody else may enter. Empty on success, else why not.
QString PreparePrivateFolder(const QString& name) {
    const QString folder = PrivateFolder();
    if (QFileInfo(name).path() != folder) {
        return {};
    }
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        return folder + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    }
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::getuid() || (info.st_mode & 077) != 0) {
        return folder + QStringLiteral(" is not a private folder of this user");
    }
    return {};
}

#else

QString UsableName(const QString& name) {
    return name;
}
QString PreparePrivateFolder(const QString&) {
    return {};
}

#endif

}  // namespace

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), serverName_(UsableName(serverName)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultServerName() {
#ifdef Q_OS_UNIX
    // The runtime folder is private to the user (0700), so nobody else can squat the name.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty()) {
        return runtime + QStringLiteral("/kestrum-instance");
    }
    // The shared temp folder is no place for a name anyone could take first.
    return PrivateFolder() + QStringLiteral("/instance");
#else
    return QStringLiteral("Kestrum-%1").arg(qEnvironmentVariable("USERNAME"));
#endif
}

bool SingleInstance::HandOverToRunning() {
    errorText_.clear();
    if (IsRunningInstance()) {
        return false;
    }
    errorText_ = PreparePrivateFolder(serverName_);
    if (!errorText_.isEmpty()) {
        return false;
    }
    for (int attempt = 0; attempt < kClaimAttempts; ++attempt) {
        const Reach reach = TryHandOver();
        if (reach == Reach::HandedOver) {
            return true;
        }
        if (reach == Reach::StaleSocket) {
            // A socket nobody listens on: what a crashed run leaves behind.
            QLocalServer::removeServer(serverName_);
        }
        if (TryListen()) {
            return false;
        }
        // Another start got the name between our attempt to reach it and our listen:
        // go round and hand over to it.
    }
    return false;
}

bool SingleInstance::IsRunningInstance() const {
    return server_ && server_->isListening();
}

SingleInstance::Reach SingleInstance::TryHandOver() const {
    QLocalSocket socket;
    socket.connectToServer(serverName_, QIODevice::WriteOnly);
    if (!socket.waitForConnected(kHandOverTimeoutMs)) {
        return socket.error() == QLocalSocket::ConnectionRefusedError ? Reach::StaleSocket
                                                                      : Reach::NobodyThere;
    }
    socket.write(kActivateRequest);
    // The request sits in the socket buffer even if the running one reads it later.
    socket.waitForBytesWritten(kHandOverTimeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        socket.waitForDisconnected(kHandOverTimeoutMs);
    }
    return Reach::HandedOver;
}

bool SingleInstance::TryListen() {
    auto server = std::make_unique<QLocalServer>();
#ifndef Q_OS_UNIX
    // On Unix the socket lives in the user's private folder; elsewhere restrict the pipe.
    server->setSocketOptions(QLocalServer::UserAccessOption);
#endif
    if (!server->listen(serverName_)) {
        errorText_ = server->errorString();
        return false;
    }
    errorText_.clear();
    connect(server.get(), &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
    server_ = std::move(server);
    return true;
}

void SingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        // The socket is a child of the server and goes with it at the latest.
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnRequestData(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        OnRequestData(socket);
    }
}

void SingleInstance::OnRequestData(QLocalSocket* socket) {
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine(kMaxRequestBytes);
        if (line == kActivateRequest) {
            emit ActivateRequested();
        }
    }
    if (socket->bytesAvailable() > kMaxRequestBytes) {
        socket->abort();
    }
}

void BringToFront(QWidget& window) {
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace kestrum
