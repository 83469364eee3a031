// Another program holds the serial device: picking the port, connecting and sending all say
// "Warning: Comm port in use by another application", nothing is sent or echoed, and once the
// other program lets go the port works.
//
// The holder is a plain program that opens the device and sets TIOCEXCL (the kernel then
// refuses further opens). Another QSerialPort's lock file gives the same kind of failure:
// QtSerialPortTest.OpenFailuresHaveTheirKinds.

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <QFile>
#include <functional>

#include "session/port_constants.h"
#include "support/pty_window.h"
#include "support/reliability_helpers.h"
#include "ui/main/main_constants.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {
namespace {

// A separate process that opens `device`, makes it exclusive with TIOCEXCL and keeps it open
// until released. Between fork and _exit the child makes only async-signal-safe calls.
class ExclusiveHolder {
public:
    explicit ExclusiveHolder(const QString& device) {
        const QByteArray path = QFile::encodeName(device);
        int ready[2];
        int release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY);
            const char held = fd >= 0 && ::ioctl(fd, TIOCEXCL) == 0 ? 1 : 0;
            static_cast<void>(::write(ready[1], &held, 1));
            char wait;
            static_cast<void>(::read(release[0], &wait, 1));  // returns when the parent lets go
            // A pseudo-terminal keeps the flag while its other end is open, so clear it on
            // leaving, as QSerialPort's close does.
            static_cast<void>(::ioctl(fd, TIOCNXCL));
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        char held = 0;
        held_ = pid_ > 0 && ::read(ready[0], &held, 1) == 1 && held == 1;
        ::close(ready[0]);
        release_ = release[1];
    }
    ~ExclusiveHolder() { Release(); }
    ExclusiveHolder(const ExclusiveHolder&) = delete;
    ExclusiveHolder& operator=(const ExclusiveHolder&) = delete;

    bool Held() const { return held_; }
    void Release() {
        if (release_ >= 0) {
            ::close(release_);
            release_ = -1;
            ::waitpid(pid_, nullptr, 0);
        }
    }

private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool held_ = false;
};

bool OpenIsRefused(const QString& device) {
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        ::close(fd);
        return false;
    }
    return errno == EBUSY;
}

class PortInUseTest : public PtyWindowTest {
protected:
    // While the device is held: every way into the port is refused with the warning, and
    // nothing is sent or echoed. After `letGo` the port works again.
    void ExpectRefusedUntilLetGo(const std::function<void()>& letGo) {
        const QString inUse = QString::fromLatin1(port_text::kMsgPortInUse);
        Mainfrm& window = *window_;
        EXPECT_FALSE(port_->PortOpen());
        ASSERT_FALSE(prompts_.Messages().empty()) << "start-up said nothing";
        EXPECT_EQ(prompts_.Messages().back(), inUse);

        window.Combo1().SetText("1");
        EXPECT_EQ(prompts_.Messages().back(), inUse) << "port pick";
        EXPECT_FALSE(port_->PortOpen());

        const std::string shown = MonitorText();
        window.SendBox().setText("41 ");
        window.SendButton_Click();
        EXPECT_EQ(prompts_.Messages().back(), inUse) << "send";
        EXPECT_EQ(MonitorText(), shown) << "a string that did not leave must not be echoed";
        EXPECT_EQ(device_->Read(1, std::chrono::milliseconds(100)), "");

        letGo();
        const std::size_t messages = prompts_.Messages().size();
        window.SendButton_Click();
        EXPECT_TRUE(port_->PortOpen());
        EXPECT_EQ(device_->Read(1), "A");
        EXPECT_EQ(MonitorText(), shown + "41 ");
        EXPECT_EQ(prompts_.Messages().size(), messages);
    }
};

TEST_F(PortInUseTest, AnotherProgramHoldsTheDeviceExclusively) {
    ExclusiveHolder holder(device_->DevicePath());
    ASSERT_TRUE(holder.Held());
    // The kernel lets a process with CAP_SYS_ADMIN open an exclusive terminal anyway.
    WithoutCapabilities asOrdinaryUser{CAP_SYS_ADMIN};
    if (!OpenIsRefused(device_->DevicePath())) {
        GTEST_SKIP() << "this system lets the test open an exclusive terminal";
    }
    Start("Hex");
    ExpectRefusedUntilLetGo([&] { holder.Release(); });
}

}  // namespace
}  // namespace kestrum
