// The session ends by a signal or by the display going away, not by closing the window: the
// capture holds every byte the device sent, and the port is closed with its lock file gone.

#include <QDir>
#include <csignal>

#include "platform/shutdown_signals.h"
#include "session/port_session.h"
#include "session/traffic_counters.h"
#include "support/pty_window.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;

// The run: 300,000 bytes, the process ended 150 ms after the last one.
const std::string kSent = [] {
    std::string bytes(300'000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7 % 253);
    }
    return bytes;
}();

// QSerialPort's lock files for `device` ("/dev/pts/3": "LCK..pts_3"); on Debian /var/lock is
// /run/lock.
qsizetype LockFiles(QString device) {
    return QDir("/var/lock").entryList({"LCK.." + device.mid(5).replace('/', '_')}).size();
}

TEST_F(PtyWindowTest, EachSignalFlushesTheCaptureAndClosesThePortWithItsLock) {
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(signal);
        device_ = std::make_unique<PtyPair>();
        Start();
        ASSERT_EQ(LockFiles(device_->DevicePath()), 1) << "the open port holds its lock";
        const QString file = Path(QString::number(signal) + ".bin");
        prompts_.QueueSaveFile(file);
        Window().StartCapturemenu_Click();
        ShutdownSignals shutdown([this] { Window().Form_QueryUnload(); });
        {
            PlayedDevice device(*device_, kSent, /*hangUpWhenSent=*/false);
            ASSERT_TRUE(PumpEventsUntil(
                [&] { return Window().Session().Counters().Received() == kSent.size(); }, 30s));
            PumpEventsUntil([] { return false; }, 150ms);
            std::raise(signal);
            ASSERT_TRUE(PumpEventsUntil([&] { return shutdown.ShutDown(); }, 5s));
        }
        EXPECT_EQ(shutdown.Signal(), signal);
        EXPECT_TRUE(FileBytes(file).toStdString() == kSent)
            << FileBytes(file).size() << " bytes captured of " << kSent.size() << " sent";
        EXPECT_FALSE(port_->PortOpen());
        EXPECT_EQ(LockFiles(device_->DevicePath()), 0);
        CloseWindows();
        port_.reset();
    }
}

// A lost X display: Qt's platform plugin ends the process with exit().
TEST_F(MainWindowTest, AnExitFlushesTheCapture) {
    GTEST_FLAG_SET(death_test_style, "fast");
    Start();
    port_.SetPortOpen(true);
    EXPECT_EXIT(
        {
            ShutdownSignals shutdown([this] { Window().Form_QueryUnload(); });
            prompts_.QueueSaveFile(Path("display.bin"));
            Window().StartCapturemenu_Click();
            port_.InjectReceived(kSent);
            std::exit(1);
        },
        ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(FileBytes(Path("display.bin")).size(), kSent.size())
        << "bytes captured of those sent";
}

}  // namespace
}  // namespace kestrum
