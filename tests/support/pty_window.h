#pragma once
// The main window on the real serial port path: a QtSerialPort whose port 1 is a
// pseudo-terminal. The test plays the device on the pseudo-terminal's other end, and can make
// it disappear or come back under a new name.

#include <poll.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <string>
#include <thread>

#include "platform/qt_serial_port.h"
#include "support/main_window_fixture.h"
#include "support/pty_pair.h"
#include "ui/widgets/drop_down_list.h"

namespace kestrum {

class PtyWindowTest : public WindowTest {
protected:
    ~PtyWindowTest() override { CloseWindows(); }

    // Port 1 is `device_`; settings stored before the call are read by the start-up.
    Mainfrm& Start(const QString& mode = QStringLiteral("Hex")) {
        settings_.SaveSetting("Device1", device_->DevicePath());
        settings_.SaveSetting("Filetype", mode);
        port_ = std::make_unique<QtSerialPort>(DevicesFromSettings(settings_));
        return StartOn(*port_);
    }

    // The window in Ascii and the text file sender on a file holding `content`, in Ascii.
    Sendfrm& StartSender(std::string_view content) {
        settings_.SaveSetting("File", WriteFile("send.txt", content));
        Start("Ascii");
        OpenSender().Combo2().SetText("Ascii");
        return *sender_;
    }

    // The device is back, under a new name written to "Device1" as its user would.
    PtyPair& ReturnDevice() {
        device_ = std::make_unique<PtyPair>();
        settings_.SaveSetting("Device1", device_->DevicePath());
        return *device_;
    }

    std::unique_ptr<PtyPair> device_ = std::make_unique<PtyPair>();
    std::unique_ptr<QtSerialPort> port_;
};

// Plays the device from a thread of its own, so that the test's thread runs the event loop
// undisturbed: sends `bytes`, keeps what the program sends, and hangs up (the pseudo-terminal
// hangs up when its last master descriptor closes) once it has sent everything (hangUpWhenSent)
// or read `hangUpAfterReading` bytes.
class PlayedDevice {
public:
    static constexpr std::size_t kNever = static_cast<std::size_t>(-1);

    // Takes over the master end: `pty` has no master of its own afterwards.
    PlayedDevice(PtyPair& pty, std::string bytes, bool hangUpWhenSent,
                 std::size_t hangUpAfterReading = kNever)
        : master_(::dup(pty.MasterFd())),
          bytes_(std::move(bytes)),
          hangUpWhenSent_(hangUpWhenSent),
          hangUpAfterReading_(hangUpAfterReading) {
        pty.CloseMaster();
        thread_ = std::thread([this] { Run(); });
    }
    ~PlayedDevice() {
        stop_ = true;
        thread_.join();
        HangUp();
    }
    PlayedDevice(const PlayedDevice&) = delete;
    PlayedDevice& operator=(const PlayedDevice&) = delete;

    bool Sent() const { return sent_; }
    std::size_t Written() const { return written_; }
    std::size_t Count() const { return count_; }
    bool HungUp() const { return master_ < 0; }
    // What arrived; call once Count() has stopped growing or the device hung up.
    std::string Received() const {
        std::lock_guard lock(mutex_);
        return received_;
    }

private:
    void Run() {
        char buffer[65536];
        while (!stop_ && master_ >= 0) {
            const bool sending = written_ < bytes_.size();
            pollfd ready{master_, static_cast<short>(POLLIN | (sending ? POLLOUT : 0)), 0};
            if (::poll(&ready, 1, 50) <= 0) {
                continue;
            }
            if (sending && (ready.revents & POLLOUT) != 0) {
                const std::size_t chunk = std::min<std::size_t>(bytes_.size() - written_, 65536);
                const ssize_t n = ::write(master_, bytes_.data() + written_, chunk);
                written_ += n > 0 ? static_cast<std::size_t>(n) : 0;
                sent_ = written_ == bytes_.size() || (n < 0 && errno != EAGAIN && errno != EINTR);
                if (sent_ && hangUpWhenSent_) {
                    HangUp();
                    return;
                }
            }
            // EIO while nobody holds the device side open reads nothing.
            const ssize_t n =
                ::read(master_, buffer, std::min(sizeof buffer, hangUpAfterReading_ - count_));
            if (n > 0) {
                std::lock_guard lock(mutex_);
                received_.append(buffer, static_cast<std::size_t>(n));
                count_ += static_cast<std::size_t>(n);
            }
            if (count_ >= hangUpAfterReading_) {
                HangUp();
            }
        }
    }

    void HangUp() {
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }

    std::atomic<int> master_;
    std::string bytes_;
    bool hangUpWhenSent_;
    std::size_t hangUpAfterReading_;
    std::atomic<bool> stop_ = false;
    std::atomic<bool> sent_ = false;
    std::atomic<std::size_t> written_ = 0;
    std::atomic<std::size_t> count_ = 0;
    mutable std::mutex mutex_;
    std::string received_;
    std::thread thread_;
};

}  // namespace kestrum
