#include "platform/single_instance.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <cstring>

namespace kestrum {
namespace {

constexpr int kWaitMs = 3000;

sockaddr_un SocketAddress(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, bytes.constData(),
                std::min(static_cast<std::size_t>(bytes.size()), sizeof(address.sun_path) - 1));
    return address;
}

// A client that is not Kestrum: connects, writes the bytes, hangs up.
bool SendRaw(const QString& path, const QByteArray& bytes) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = SocketAddress(path);
    const bool sent =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 &&
        ::write(fd, bytes.constData(), bytes.size()) == bytes.size();
    ::close(fd);
    return sent;
}

// Every test meets on a socket of its own, so parallel runs and the user's real
// Kestrum never see each other.
class SingleInstanceTest : public ::testing::Test {
protected:
    QString SocketPath() const { return dir_.filePath(QStringLiteral("instance.sock")); }

    // Receives until `count` activate requests have arrived or the wait runs out.
    static bool WaitForRequests(QSignalSpy& spy, int count) {
        return QTest::qWaitFor([&] { return spy.count() >= count; }, kWaitMs);
    }

    QTemporaryDir dir_;
};

TEST_F(SingleInstanceTest, LaterStartsHandOverAndEachActivatesTheRunningOne) {
    SingleInstance running(SocketPath());
    ASSERT_FALSE(running.HandOverToRunning()) << "the first start must become the running one";
    ASSERT_TRUE(running.IsRunningInstance()) << running.ErrorText().toStdString();
    EXPECT_FALSE(running.HandOverToRunning()) << "asked again, it must not reach itself";
    QSignalSpy activated(&running, &SingleInstance::ActivateRequested);

    // The running one's event loop is not turning while a later start connects: the
    // request must wait in the socket and still arrive.
    for (int start = 1; start <= 3; ++start) {
        SingleInstance later(SocketPath());
        EXPECT_TRUE(later.HandOverToRunning());
        EXPECT_FALSE(later.IsRunningInstance());
    }
    EXPECT_TRUE(WaitForRequests(activated, 3));
    QTest::qWait(50);
    EXPECT_EQ(activated.count(), 3) << "one activation per later start, no more";
}

TEST_F(SingleInstanceTest, SocketLeftByACrashedRunIsTakenOver) {
    // A process killed while listening leaves its socket file with nobody behind it:
    // bind without listen and close is exactly that state.
    const sockaddr_un address = SocketAddress(SocketPath());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(SocketPath()));

    SingleInstance restarted(SocketPath());
    EXPECT_FALSE(restarted.HandOverToRunning()) << "a dead socket must not swallow the start";
    ASSERT_TRUE(restarted.IsRunningInstance()) << restarted.ErrorText().toStdString();
    QSignalSpy activated(&restarted, &SingleInstance::ActivateRequested);
    SingleInstance later(SocketPath());
    EXPECT_TRUE(later.HandOverToRunning());
    EXPECT_TRUE(WaitForRequests(activated, 1)) << "the new one really serves later starts";
}

TEST_F(SingleInstanceTest, OnlyTheActivateRequestActivates) {
    SingleInstance running(SocketPath());
    ASSERT_FALSE(running.HandOverToRunning());
    QSignalSpy activated(&running, &SingleInstance::ActivateRequested);

    const std::pair<const char*, QByteArray> cases[] = {
        {"another program's line", "hello\n"},
        {"a request cut off before its line end", "activate"},
        {"a flood without a line end is dropped", QByteArray(4096, 'x')},
    };
    for (const auto& [reason, bytes] : cases) {
        ASSERT_TRUE(SendRaw(SocketPath(), bytes)) << reason;
        QTest::qWait(100);
    }
    EXPECT_EQ(activated.count(), 0);

    SingleInstance later(SocketPath());
    EXPECT_TRUE(later.HandOverToRunning());
    EXPECT_TRUE(WaitForRequests(activated, 1)) << "the server still works after bad clients";
}

// A runtime folder whose path leaves no room for the socket (a local socket path holds at
// most 107 bytes): a second start still hands over to the running one.
TEST_F(SingleInstanceTest, ARuntimeFolderTooLongForTheSocketStillHandsOver) {
    QString runtime = dir_.path();
    while (runtime.size() < 150) {
        runtime += QStringLiteral("/a-long-runtime-folder");
    }
    ASSERT_TRUE(QDir().mkpath(runtime));
    ASSERT_TRUE(QFile::setPermissions(
        runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    const QString name = SingleInstance::DefaultServerName();
    qputenv("XDG_RUNTIME_DIR", saved);
    ASSERT_TRUE(name.startsWith(runtime)) << name.toStdString();

    SingleInstance running(name);
    ASSERT_FALSE(running.HandOverToRunning());
    ASSERT_TRUE(running.IsRunningInstance()) << running.ErrorText().toStdString();
    EXPECT_LE(QFile::encodeName(running.ServerName()).size(), 107);
    // The short name lives in a folder only this user may enter.
    const QFileInfo folder(QFileInfo(running.ServerName()).path());
    EXPECT_EQ(folder.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther |
                                      QFileDevice::ExeGroup | QFileDevice::ExeOther),
              QFileDevice::Permissions());

    QSignalSpy activated(&running, &SingleInstance::ActivateRequested);
    SingleInstance second(name);
    EXPECT_TRUE(second.HandOverToRunning()) << second.ErrorText().toStdString();
    EXPECT_FALSE(second.IsRunningInstance());
    EXPECT_TRUE(WaitForRequests(activated, 1));
}

TEST(BringToFrontTest, RestoresAMinimisedWindowAndKeepsItMaximised) {
    struct Case {
        const char* reason;
        Qt::WindowStates before;
        Qt::WindowStates after;
    };
    const Case cases[] = {
        {"minimised comes back", Qt::WindowMinimized, Qt::WindowNoState},
        {"a maximised window minimised comes back maximised",
         Qt::WindowMinimized | Qt::WindowMaximized, Qt::WindowMaximized},
        {"a normal window stays normal", Qt::WindowNoState, Qt::WindowNoState},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        QWidget window;
        window.setWindowState(c.before);
        window.show();
        BringToFront(window);
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(window.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized), c.after);
    }
}

}  // namespace
}  // namespace kestrum
