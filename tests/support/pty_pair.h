#pragma once
// A pseudo-terminal pair for tests of the real serial port path: the device side has a path
// that QtSerialPort opens like any serial device, the test holds the other side's file
// descriptor and plays the remote equipment. Linux/Unix only.

#include <QString>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <termios.h>

namespace kestrum {

// Runs the Qt event loop until `done()` holds or `timeout` passes; returns done().
bool PumpEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
// Runs the Qt event loop for `duration`.
void PumpEventsFor(std::chrono::milliseconds duration);

class PtyPair {
public:
    // Opens a pair in raw mode; throws std::runtime_error when the system has none to give.
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    // The device path ("/dev/pts/3").
    const QString& DevicePath() const { return devicePath_; }
    // The other end (the pseudo-terminal master); -1 once closed.
    int MasterFd() const { return master_; }

    // Sends bytes to the device side (they arrive at the port). Pumps the event loop while
    // the terminal's buffer is full. Returns false when not all could be written in time.
    bool Write(std::string_view bytes,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));
    // Reads what the port sent until `count` bytes came or `timeout` passed, pumping the Qt
    // event loop meanwhile (QSerialPort writes from it). May return fewer bytes.
    std::string Read(std::size_t count,
                     std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));
    // Closes the other end: the device side hangs up, as when a USB adapter is pulled.
    void CloseMaster();

    // The device side's line settings as the kernel holds them (nullopt once closed).
    std::optional<termios> DeviceTermios() const;
    // The device side's output speed (B9600...), 0 once closed.
    speed_t DeviceSpeed() const;

private:
    int master_ = -1;
    QString devicePath_;
};

}  // namespace kestrum
