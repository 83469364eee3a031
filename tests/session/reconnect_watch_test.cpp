// The watch for a lost device, one look at a time: it opens only a device that is there,
// says a refusal once per reason while it keeps watching, and stops once the port is open.

#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <functional>

#include <sys/stat.h>

#include "platform/qt_serial_port.h"
#include "session/port_constants.h"
#include "session/reconnect_watch.h"
#include "support/memory_serial_port.h"

namespace kestrum {
namespace {

TEST(ReconnectWatchTest, RefusalsAreToldOncePerReasonAndTheWatchGoesOnUntilItOpens) {
    MemorySerialPort port;
    port.SetDevicePresent(false);
    ReconnectWatch watch(port);
    QSignalSpy problems(&watch, &ReconnectWatch::ProblemChanged);
    QSignalSpy reopened(&watch, &ReconnectWatch::Reopened);
    watch.Start();

    watch.Look();
    EXPECT_TRUE(port.History().empty()) << "no open is tried while the device is away";

    port.SetDevicePresent(true);
    port.SetOpenFailure(1, PortErrorKind::PortInUse);
    for (int i = 0; i < 3; ++i) {
        watch.Look();
    }
    ASSERT_EQ(problems.count(), 1) << "busy in another program: said once";
    EXPECT_EQ(watch.Problem(), port_text::kMsgPortInUse);
    EXPECT_TRUE(watch.Watching());

    port.SetOpenFailure(1, std::nullopt);
    watch.Look();
    EXPECT_TRUE(port.PortOpen());
    EXPECT_EQ(reopened.count(), 1);
    EXPECT_FALSE(watch.Watching());
    EXPECT_TRUE(watch.Problem().isEmpty());
}

// Something else at the device's path is named in the status line's reason, which goes when
// the thing does.
TEST(ReconnectWatchTest, AFileFifoOrFolderAtTheDevicePathIsNamedUntilItGoes) {
    QTemporaryDir folder;
    const QString path = folder.filePath("ttyUSB0");
    QtSerialPort port([&path](int) { return path; });
    ReconnectWatch watch(port);
    QSignalSpy problems(&watch, &ReconnectWatch::ProblemChanged);
    const struct {
        const char* what;
        std::function<bool()> make;
    } cases[] = {
        {"a regular file", [&] { return QFile(path).open(QIODevice::WriteOnly); }},
        {"a FIFO", [&] { return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0; }},
        {"a folder", [&] { return QDir(folder.path()).mkdir("ttyUSB0"); }},
    };
    watch.Start();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.make());
        watch.Look();
        EXPECT_EQ(watch.Problem(), QStringLiteral("%1: %2 is %3, not a serial device")
                                       .arg(port_text::kMsgPortOpenFailed, path, c.what));
        ASSERT_TRUE(QFileInfo(path).isDir() ? QDir(path).removeRecursively() : QFile::remove(path));
        watch.Look();
        EXPECT_EQ(watch.Problem(), "") << "cleared once the path is empty";
        EXPECT_EQ(problems.takeLast().at(0).toString(), "");
    }
}

}  // namespace
}  // namespace kestrum
