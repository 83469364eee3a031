#pragma once
// What the tests of hostile conditions share: readable QString failures, a meter of how long
// the event loop stood, and a thread that gives up root's powers while it lives.

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <initializer_list>
#include <ostream>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// Failures show the text, not its UTF-16 code units; a long one by its length.
inline void PrintTo(const QString& text, std::ostream* out) {
    constexpr qsizetype kShownCharacters = 1000;
    if (text.size() > kShownCharacters) {
        *out << "QString of " << text.size() << " characters";
    } else {
        *out << '"' << text.toStdString() << '"';
    }
}

namespace kestrum {

// Records the longest time between two ticks of a 5 ms timer: how long the event loop stood.
class GapMeter {
public:
    GapMeter() {
        clock_.start();
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            longest_ = std::max(longest_, clock_.restart());
            if (onTick) {
                onTick();
            }
        });
        timer_.start(5);
    }
    qint64 LongestMs() const { return longest_; }
    std::function<void()> onTick;

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 longest_ = 0;
};

// Tests run as root, whom permission bits and exclusive terminals do not stop. While this
// lives, the calling thread lacks the given capabilities (CAP_...), as any other user does.
class WithoutCapabilities {
public:
    explicit WithoutCapabilities(std::initializer_list<int> capabilities) {
        if (::syscall(SYS_capget, &header_, saved_) != 0) {
            return;
        }
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        for (const int capability : capabilities) {
            reduced[CAP_TO_INDEX(capability)].effective &= ~CAP_TO_MASK(capability);
        }
        changed_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~WithoutCapabilities() {
        if (changed_) {
            ::syscall(SYS_capset, &header_, saved_);
        }
    }
    WithoutCapabilities(const WithoutCapabilities&) = delete;
    WithoutCapabilities& operator=(const WithoutCapabilities&) = delete;

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool changed_ = false;
};

}  // namespace kestrum
