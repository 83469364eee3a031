#pragma once
// Bytes received and sent since the last Clear, and the line errors the port reported.
// 64-bit and saturating: they never wrap.

#include <QObject>
#include <cstdint>
#include <limits>

#include "platform/serial_port.h"

namespace kestrum {

class TrafficCounters final : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    std::uint64_t Received() const { return received_; }
    std::uint64_t Sent() const { return sent_; }
    std::uint64_t LineErrors() const { return framing_ + parity_ + breaks_; }
    std::uint64_t Framing() const { return framing_; }
    std::uint64_t Parity() const { return parity_; }
    std::uint64_t Breaks() const { return breaks_; }

    void AddReceived(std::uint64_t bytes) { Add(received_, bytes); }
    void AddSent(std::uint64_t bytes) { Add(sent_, bytes); }
    void AddLineError(LineError error) {
        Add(error == LineError::Framing  ? framing_
            : error == LineError::Parity ? parity_
                                         : breaks_,
            1);
    }
    void Clear() {
        received_ = sent_ = framing_ = parity_ = breaks_ = 0;
        emit Changed();
    }

signals:
    void Changed();

private:
    void Add(std::uint64_t& counter, std::uint64_t amount) {
        constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
        counter = amount > kMax - counter ? kMax : counter + amount;
        emit Changed();
    }

    std::uint64_t received_ = 0;
    std::uint64_t sent_ = 0;
    std::uint64_t framing_ = 0;
    std::uint64_t parity_ = 0;
    std::uint64_t breaks_ = 0;
};

}  // namespace kestrum
