#include "platform/receive_queue.h"

#include <algorithm>
#include <climits>

#include "platform/serial_port.h"

namespace kestrum {

namespace {

// Resets a flag when the scope ends, also by an exception from a receive handler.
class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagGuard() { flag_ = false; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& flag_;
};

}  // namespace

void ReceiveQueue::Arrived(std::string_view bytes) {
    received_.append(bytes);
    if (inOnComm_) {
        arrivedDuringOnComm_ = true;
        return;
    }
    ScheduleNotify();
}

// The notification runs from the event loop, not inside the device's own read signal, so that
// a handler that yields to the event loop sees later arrivals reported to it afterwards.
void ReceiveQueue::ScheduleNotify() {
    if (notifyQueued_ || threshold_ <= 0 || Count() < threshold_) {
        return;
    }
    notifyQueued_ = true;
    QMetaObject::invokeMethod(this, &ReceiveQueue::Notify, Qt::QueuedConnection);
}

void ReceiveQueue::Notify() {
    notifyQueued_ = false;
    if (inOnComm_ || threshold_ <= 0 || Count() < threshold_) {
        return;
    }
    arrivedDuringOnComm_ = false;
    {
        FlagGuard guard(inOnComm_);
        commEvent_ = kCommEventReceive;
        emit OnComm();
    }
    if (arrivedDuringOnComm_) {
        ScheduleNotify();
    }
}

int ReceiveQueue::Count() const {
    const std::size_t waiting = received_.size() - readPos_;
    return waiting > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(waiting);
}

void ReceiveQueue::Clear() {
    received_.clear();
    readPos_ = 0;
}

std::string ReceiveQueue::Take() {
    const std::size_t waiting = received_.size() - readPos_;
    const std::size_t count =
        inputLen_ == 0 ? waiting : std::min(waiting, static_cast<std::size_t>(inputLen_));
    std::string bytes = received_.substr(readPos_, count);
    readPos_ += count;
    // Reading one byte at a time must not cost a copy of the rest each time.
    if (readPos_ == received_.size()) {
        Clear();
    } else if (readPos_ > 4096 && readPos_ * 2 > received_.size()) {
        received_.erase(0, readPos_);
        readPos_ = 0;
    }
    return bytes;
}

void ReceiveQueue::SetThreshold(int bytes) {
    if (bytes < 0) {
        throw PortError(PortErrorKind::Other, "Receive threshold below 0");
    }
    threshold_ = bytes;
    ScheduleNotify();
}

void ReceiveQueue::SetInputLen(int bytes) {
    if (bytes < 0) {
        throw PortError(PortErrorKind::Other, "Input length below 0");
    }
    inputLen_ = bytes;
}

}  // namespace kestrum
