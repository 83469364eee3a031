#pragma once
// The main window on the real serial port path: a QtSerialPort whose port 1 is a
// pseudo-terminal, scripted prompts and a settings file of its own. The test plays the device
// on the pseudo-terminal's other end, and can make it disappear or come back under a new name.

#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>
#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "platform/qt_serial_port.h"
#include "session/app_state.h"
#include "storage/settings_store.h"
#include "support/pty_pair.h"
#include "support/scripted_prompts.h"
#include "ui/main/mainfrm.h"
#include "ui/monitor/data_monitor.h"

namespace kestrum {

class PtyWindowTest : public ::testing::Test {
protected:
    PtyWindowTest() : settings_(folder_.filePath("Kestrum.ini")) {}

    // Port 1 is `device_`; settings stored before the call are read by the start-up.
    Mainfrm& Start(const QString& mode = QStringLiteral("Hex")) {
        settings_.SaveSetting("Device1", device_->DevicePath());
        settings_.SaveSetting("Filetype", mode);
        port_ = std::make_unique<QtSerialPort>(DevicesFromSettings(settings_));
        window_ = std::make_unique<Mainfrm>(state_, settings_, *port_, prompts_);
        window_->Form_Load();
        return *window_;
    }

    // The device is back, under a new name written to "Device1" as its user would.
    PtyPair& ReturnDevice() {
        device_ = std::make_unique<PtyPair>();
        settings_.SaveSetting("Device1", device_->DevicePath());
        return *device_;
    }

    std::string MonitorText() const { return window_->Monitor().PlainText(); }

    QTemporaryDir folder_;
    SettingsStore settings_;
    std::unique_ptr<PtyPair> device_ = std::make_unique<PtyPair>();
    std::unique_ptr<QtSerialPort> port_;
    ScriptedPrompts prompts_;
    AppState state_;
    std::unique_ptr<Mainfrm> window_;
};

// Plays a device that sends `bytes` from a thread of its own, so that the test's thread runs
// the event loop undisturbed. With hangUp the device disappears once everything was written
// (the pseudo-terminal hangs up when its last master descriptor closes).
class DeviceStream {
public:
    // Takes over the master end: `pty` has no master of its own afterwards.
    DeviceStream(PtyPair& pty, std::string bytes, bool hangUp)
        : master_(::dup(pty.MasterFd())), bytes_(std::move(bytes)), hangUp_(hangUp) {
        pty.CloseMaster();
        thread_ = std::thread([this] { Run(); });
    }
    ~DeviceStream() {
        stop_ = true;
        thread_.join();
        if (master_ >= 0) {
            ::close(master_);
        }
    }
    DeviceStream(const DeviceStream&) = delete;
    DeviceStream& operator=(const DeviceStream&) = delete;

    bool Finished() const { return finished_; }
    std::size_t Written() const { return written_; }

private:
    void Run() {
        while (!stop_ && written_ < bytes_.size()) {
            pollfd ready{master_, POLLOUT, 0};
            if (::poll(&ready, 1, 50) <= 0) {
                continue;
            }
            const std::size_t chunk = std::min<std::size_t>(bytes_.size() - written_, 65536);
            const ssize_t n = ::write(master_, bytes_.data() + written_, chunk);
            if (n > 0) {
                written_ += static_cast<std::size_t>(n);
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                break;
            }
        }
        if (hangUp_) {
            ::close(master_);
            master_ = -1;
        }
        finished_ = true;
    }

    int master_;
    std::string bytes_;
    bool hangUp_;
    std::atomic<bool> stop_ = false;
    std::atomic<bool> finished_ = false;
    std::atomic<std::size_t> written_ = 0;
    std::thread thread_;
};

// Plays a device that reads everything the program sends, from a thread of its own. With a
// hang-up count the device disappears once it has read that many bytes.
class DeviceSink {
public:
    static constexpr std::size_t kNever = static_cast<std::size_t>(-1);

    // Takes over the master end: `pty` has no master of its own afterwards.
    explicit DeviceSink(PtyPair& pty, std::size_t hangUpAfter = kNever, bool keep = true)
        : master_(::dup(pty.MasterFd())), hangUpAfter_(hangUpAfter), keep_(keep) {
        pty.CloseMaster();
        thread_ = std::thread([this] { Run(); });
    }
    ~DeviceSink() {
        stop_ = true;
        thread_.join();
        if (master_ >= 0) {
            ::close(master_);
        }
    }
    DeviceSink(const DeviceSink&) = delete;
    DeviceSink& operator=(const DeviceSink&) = delete;

    std::size_t Count() const { return count_; }
    bool HungUp() const { return hungUp_; }
    // What arrived (with keep); call once Count() has stopped growing or the device hung up.
    std::string Received() const {
        std::lock_guard lock(mutex_);
        return received_;
    }
    // Bytes other than NUL that arrived, counted without keeping them.
    std::size_t NonZero() const { return nonZero_; }

private:
    void Run() {
        char buffer[65536];
        while (!stop_) {
            pollfd ready{master_, POLLIN, 0};
            if (::poll(&ready, 1, 50) <= 0) {
                continue;
            }
            const std::size_t room = std::min(sizeof buffer, hangUpAfter_ - count_);
            const ssize_t n = ::read(master_, buffer, room);
            if (n <= 0) {
                continue;  // EIO while nobody holds the device side open
            }
            std::size_t nonZero = 0;
            for (ssize_t i = 0; i < n; ++i) {
                nonZero += buffer[i] != 0 ? 1 : 0;
            }
            nonZero_ += nonZero;
            if (keep_) {
                std::lock_guard lock(mutex_);
                received_.append(buffer, static_cast<std::size_t>(n));
            }
            count_ += static_cast<std::size_t>(n);
            if (count_ >= hangUpAfter_) {
                ::close(master_);
                master_ = -1;
                hungUp_ = true;
                return;
            }
        }
    }

    int master_;
    std::size_t hangUpAfter_;
    bool keep_;
    std::atomic<bool> stop_ = false;
    std::atomic<bool> hungUp_ = false;
    std::atomic<std::size_t> count_ = 0;
    std::atomic<std::size_t> nonZero_ = 0;
    mutable std::mutex mutex_;
    std::string received_;
    std::thread thread_;
};

}  // namespace kestrum
