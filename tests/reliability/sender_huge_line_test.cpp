// The text file sender given one line of 512 MiB (a sparse file of NUL bytes, no line end,
// well over the memory bound below): the file is streamed, so memory stays bounded however long
// the line, and every byte reaches the port, followed by the line end. The port is a device that
// takes bytes as fast as they come and keeps only their count (a pseudo-terminal would take minutes
// for it).

#include <gtest/gtest.h>

#include <unistd.h>
#include <QElapsedTimer>
#include <QFile>
#include <fstream>

#include "platform/serial_port.h"
#include "support/main_window_fixture.h"
#include "support/pty_pair.h"
#include "ui/monitor/monitor_constants.h"
#include "ui/widgets/drop_down_list.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer build checks every byte's way through, and its allocator keeps freed memory in
// quarantine: the same rule on a shorter line, without the memory bound.
constexpr qint64 kLineBytes = qint64{128} * 1024 * 1024;
constexpr bool kMemoryBounded = false;
#else
constexpr qint64 kLineBytes = qint64{512} * 1024 * 1024;
constexpr bool kMemoryBounded = true;
#endif
// What may be held: the monitor's capacity (the echo), the sender's read chunk and view, and
// the allocator's slack; not the file.
constexpr std::size_t kMemoryBoundBytes = kMonitorCapacity * 3;

// Takes every byte and keeps only how many came, and how many were not NUL.
class CountingPort final : public SerialPort {
public:
    int CommPort() const override { return port_; }
    void SetCommPort(int port) override { port_ = port; }
    QString Settings() const override { return settings_; }
    void ApplySettings(const QString& settings) override {
        settings_ = settings;
        emit SettingsApplied();
    }
    bool PortOpen() const override { return open_; }
    bool Opening() const override { return false; }
    void Open() override {
        open_ = true;
        emit Opened();
    }
    void Close() override { open_ = false; }
    void SetRThreshold(int) override {}
    void SetInputLen(int) override {}
    int InBufferCount() const override { return 0; }
    void SetInBufferCount(int) override {}
    int CommEvent() const override { return 0; }
    std::string Input() override { return {}; }
    void Output(std::string_view bytes) override {
        count_ += bytes.size();
        for (const char c : bytes) {
            nonZero_ += c != 0 ? 1 : 0;
        }
    }

    std::size_t Count() const { return count_; }
    std::size_t NonZero() const { return nonZero_; }

private:
    int port_ = 1;
    QString settings_ = QStringLiteral("9600,n,8,1");
    bool open_ = false;
    std::size_t count_ = 0;
    std::size_t nonZero_ = 0;
};

std::size_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t size = 0;
    std::size_t resident = 0;
    statm >> size >> resident;
    return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

class SenderHugeLine : public WindowTest {
protected:
    ~SenderHugeLine() override { CloseWindows(); }
    CountingPort port_;
};

TEST_F(SenderHugeLine, OneHugeLineIsStreamedInBoundedMemory) {
    const QString path = Path("huge.txt");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(kLineBytes)) << "no room for a sparse file";
    }
    settings_.SaveSetting("Filetype", "Ascii");
    StartOn(port_);
    Sendfrm& sender = OpenSender(path);
    sender.Combo2().SetText("Ascii");

    const std::size_t baseline = ResidentBytes();
    std::size_t peak = baseline;
    QElapsedTimer sampled;
    sampled.start();
    sender.SendButton_Click();
    ASSERT_TRUE(PumpEventsUntil(
        [&] {
            if (sampled.elapsed() >= 50) {
                peak = std::max(peak, ResidentBytes());
                sampled.restart();
            }
            return !sender.Sending();
        },
        1800s))
        << port_.Count() << " bytes sent";
    EXPECT_EQ(port_.Count(), static_cast<std::size_t>(kLineBytes) + 2);
    EXPECT_EQ(port_.NonZero(), 2u) << "only the line end is not a NUL byte";
    EXPECT_TRUE(prompts_.Messages().empty());
    if (kMemoryBounded) {
        EXPECT_LT(peak - baseline, kMemoryBoundBytes)
            << "memory grew by " << (peak - baseline) / (1024 * 1024) << " MiB";
    }
    RecordProperty("PeakGrowthMiB", static_cast<int>((peak - baseline) / (1024 * 1024)));
    EXPECT_LE(Window().Monitor().Text().Size(), kMonitorCapacity);
}

}  // namespace
}  // namespace kestrum
