#include "support/pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cerrno>
#include <stdexcept>

namespace kestrum {

bool PumpEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() >= timeout.count()) {
            return done();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

void PumpEventsFor(std::chrono::milliseconds duration) {
    PumpEventsUntil([] { return false; }, duration);
}

PtyPair::PtyPair() {
    termios raw{};
    ::cfmakeraw(&raw);
    int device = -1;
    char name[256] = {};
    if (::openpty(&master_, &device, name, &raw, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    // Only the port under test may read the device side, so the test's own handle goes.
    ::close(device);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    devicePath_ = QString::fromLocal8Bit(name);
}

PtyPair::~PtyPair() {
    CloseMaster();
}

bool PtyPair::Write(std::string_view bytes, std::chrono::milliseconds timeout) {
    std::size_t done = 0;
    PumpEventsUntil(
        [&] {
            if (master_ < 0) {
                return true;
            }
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            }
            return done == bytes.size() || (n < 0 && errno != EAGAIN && errno != EINTR);
        },
        timeout);
    return done == bytes.size();
}

std::string PtyPair::Read(std::size_t count, std::chrono::milliseconds timeout) {
    std::string bytes;
    PumpEventsUntil(
        [&] {
            if (master_ < 0) {
                return true;
            }
            char buffer[4096];
            const std::size_t wanted = std::min(sizeof buffer, count - bytes.size());
            // EIO only means that nobody holds the device side open at the moment.
            const ssize_t n = ::read(master_, buffer, wanted);
            if (n > 0) {
                bytes.append(buffer, static_cast<std::size_t>(n));
            }
            return bytes.size() >= count;
        },
        timeout);
    return bytes;
}

void PtyPair::CloseMaster() {
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

std::optional<termios> PtyPair::DeviceTermios() const {
    termios tio{};
    // On the master the terminal calls act on the device side.
    if (master_ < 0 || ::tcgetattr(master_, &tio) != 0) {
        return std::nullopt;
    }
    return tio;
}

speed_t PtyPair::DeviceSpeed() const {
    const std::optional<termios> tio = DeviceTermios();
    return tio ? ::cfgetospeed(&*tio) : 0;
}

}  // namespace kestrum
