#include "platform/single_instance.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <cstring>

namespace kestrum {
namespace {

constexpr int kWaitMs = 3000;
constexpr auto kChildNameVariable = "KESTRUM_TEST_INSTANCE_NAME";

sockaddr_un SocketAddress(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, bytes.constData(),
                std::min<size_t>(bytes.size(), sizeof(address.sun_path) - 1));
    return address;
}

// A client that is not Kestrum: connects, writes the bytes, hangs up.
bool SendRaw(const QString& path, const QByteArray& bytes) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) {
        return false;
    }
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
    QSignalSpy activated(&running, &SingleInstance::ActivateRequested);

    // The running one's event loop is not turning while a later start connects: the
    // request must wait in the socket and still arrive.
    for (int start = 1; start <= 3; ++start) {
        SCOPED_TRACE(start);
        SingleInstance later(SocketPath());
        EXPECT_TRUE(later.HandOverToRunning());
        EXPECT_FALSE(later.IsRunningInstance());
    }
    EXPECT_TRUE(WaitForRequests(activated, 3));
    QTest::qWait(50);
    EXPECT_EQ(activated.count(), 3) << "one activation per later start, no more";
}

TEST_F(SingleInstanceTest, AskingTheRunningOneAgainHandsOverNothing) {
    SingleInstance running(SocketPath());
    ASSERT_FALSE(running.HandOverToRunning());
    // A second call on the running object must not connect to itself.
    EXPECT_FALSE(running.HandOverToRunning());
    EXPECT_TRUE(running.IsRunningInstance());
}

TEST_F(SingleInstanceTest, SocketLeftByACrashedRunIsTakenOver) {
    // A process killed while listening leaves its socket file with nobody behind it:
    // bind without listen and close is exactly that state.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    const sockaddr_un address = SocketAddress(SocketPath());
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(SocketPath()));

    SingleInstance restarted(SocketPath());
    EXPECT_FALSE(restarted.HandOverToRunning()) << "a dead socket must not swallow the start";
    ASSERT_TRUE(restarted.IsRunningInstance()) << restarted.ErrorText().toStdString();

    // And the new one really serves later starts.
    QSignalSpy activated(&restarted, &SingleInstance::ActivateRequested);
    SingleInstance later(SocketPath());
    EXPECT_TRUE(later.HandOverToRunning());
    EXPECT_TRUE(WaitForRequests(activated, 1));
}

TEST_F(SingleInstanceTest, OnlyTheActivateRequestActivates) {
    SingleInstance running(SocketPath());
    ASSERT_FALSE(running.HandOverToRunning());
    QSignalSpy activated(&running, &SingleInstance::ActivateRequested);

    struct Case {
        QByteArray bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"hello\n", "another program's line"},
        {"activate", "a request cut off before its line end"},
        {QByteArray(4096, 'x'), "a flood without a line end is dropped"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        ASSERT_TRUE(SendRaw(SocketPath(), c.bytes));
        QTest::qWait(100);
    }
    EXPECT_EQ(activated.count(), 0);

    SingleInstance later(SocketPath());
    EXPECT_TRUE(later.HandOverToRunning());
    EXPECT_TRUE(WaitForRequests(activated, 1)) << "the server still works after bad clients";
}

TEST_F(SingleInstanceTest, AnotherProcessHandsOverAndEndsWithStatusZero) {
    SingleInstance running(SocketPath());
    ASSERT_FALSE(running.HandOverToRunning());
    QSignalSpy activated(&running, &SingleInstance::ActivateRequested);

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kChildNameVariable), SocketPath());
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_also_run_disabled_tests"),
                 QStringLiteral("--gtest_filter=SingleInstanceChild.*")});
    ASSERT_TRUE(child.waitForFinished(15000));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0);
    EXPECT_TRUE(WaitForRequests(activated, 1));
}

// The later start of the test above, run in a process of its own; only on request.
TEST(SingleInstanceChild, DISABLED_HandsOverToTheParent) {
    const QString name = qEnvironmentVariable(kChildNameVariable);
    ASSERT_FALSE(name.isEmpty());
    SingleInstance later(name);
    EXPECT_TRUE(later.HandOverToRunning());
}

TEST(BringToFrontTest, RestoresAMinimisedWindowAndKeepsItMaximised) {
    struct Case {
        Qt::WindowStates before;
        Qt::WindowStates after;
        const char* reason;
    };
    const Case cases[] = {
        {Qt::WindowMinimized, Qt::WindowNoState, "minimised comes back"},
        {Qt::WindowMinimized | Qt::WindowMaximized, Qt::WindowMaximized,
         "a maximised window minimised comes back maximised"},
        {Qt::WindowNoState, Qt::WindowNoState, "a normal window stays normal"},
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
