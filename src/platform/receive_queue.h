#pragma once
// The receiving half every port service shares: bytes kept until they are read (also across a
// close or a device loss), read InputLen at a time, and the OnComm notification raised from the
// event loop once RThreshold bytes wait, never re-entered.

#include <QObject>
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrum {

class ReceiveQueue final : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Keeps the bytes and asks for a notification: at once from the event loop, or, while a
    // handler runs, once it has returned.
    void Arrived(std::string_view bytes);
    // Keeps the bytes without a notification (the port closes and drains what is left).
    void Keep(std::string_view bytes) { received_.append(bytes); }
    // Asks for a notification if enough bytes wait; several asks make one.
    void ScheduleNotify();

    // Waiting bytes, capped at INT_MAX.
    int Count() const;
    // Drops every waiting byte.
    void Clear();
    // Removes and returns up to InputLen waiting bytes; empty when nothing waits.
    std::string Take();

    int Threshold() const { return threshold_; }
    // Both throw PortError(Other) below 0.
    void SetThreshold(int bytes);
    int InputLen() const { return inputLen_; }
    void SetInputLen(int bytes);
    int CommEvent() const { return commEvent_; }

signals:
    void OnComm();

private:
    void Notify();

    // Received bytes not read yet, from readPos_ on.
    std::string received_;
    std::size_t readPos_ = 0;
    int threshold_ = 1;
    int inputLen_ = 0;
    int commEvent_ = 0;
    bool notifyQueued_ = false;
    bool inOnComm_ = false;
    bool arrivedDuringOnComm_ = false;
};

}  // namespace kestrum
