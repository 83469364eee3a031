// A device sends 4 MiB through a pseudo-terminal while strings go out, the Data Monitor is
// cleared and fills up more than once: the capture misses and reorders nothing.

#include <QDateTime>
#include <QTimer>

#include "session/capture.h"
#include "session/port_session.h"
#include "session/traffic_counters.h"
#include "support/pty_window.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;

constexpr std::size_t kFloodBytes = std::size_t{4} << 20;
// Characters: 4 MiB in Hex fills it a dozen times.
constexpr std::size_t kSmallMonitor = std::size_t{1} << 20;
const char* const kSends[] = {"41 54 0D", "00 FF 0A"};

class CaptureFloodTest : public PtyWindowTest {
protected:
    ~CaptureFloodTest() override { CloseWindows(); }

    // Floods a Hex window capturing to `name`, sends kSends and clears the monitor on the way.
    void Flood(const QString& name) {
        settings_.SaveSetting("Device1", device_->DevicePath());
        settings_.SaveSetting("Filetype", "Hex");
        port_ = std::make_unique<QtSerialPort>(DevicesFromSettings(settings_));
        window_ =
            std::make_unique<Mainfrm>(state_, settings_, *port_, prompts_, nullptr, kSmallMonitor);
        window_->Form_Load();
        ASSERT_TRUE(port_->PortOpen());
        prompts_.QueueSaveFile(Path(name));
        window_->StartCapturemenu_Click();
        for (std::size_t i = 0; i < kFloodBytes; ++i) {
            flood_ += static_cast<char>(i * 7 % 253);
        }
        flood_ += "the end";
        const std::uint64_t generation = window_->Monitor().Text().Generation();
        const TrafficCounters& counters = window_->Session().Counters();
        std::uint64_t receivedBeforeClears = 0;  // a Clear starts the counters again
        PlayedDevice device(*device_, flood_, /*hangUpWhenSent=*/false);
        for (std::size_t i = 0; i < std::size(kSends); ++i) {
            ASSERT_TRUE(
                PumpEventsUntil([&] { return device.Written() > (i + 1) * kFloodBytes / 3; }, 60s));
            window_->SendBox().setText(kSends[i]);
            window_->SendButton_Click();
            receivedBeforeClears += counters.Received();
            window_->Clearmenu_Click();
        }
        // Everything arrived, however much of it came before the last Clear.
        ASSERT_TRUE(PumpEventsUntil(
            [&] {
                return device.Count() == 6 &&
                       receivedBeforeClears + counters.Received() == flood_.size();
            },
            120s));
        window_->StopCapturemenu_Click();
        EXPECT_GE(window_->Monitor().Text().Generation() - generation, 4u)
            << "cleared twice and filled up";
        EXPECT_TRUE(prompts_.Messages().empty());
    }

    std::string flood_;
};

TEST_F(CaptureFloodTest, TheRawFileHoldsExactlyTheReceivedBytes) {
    Flood("flood.bin");
    EXPECT_TRUE(FileBytes(Path("flood.bin")).toStdString() == flood_);
}

TEST_F(CaptureFloodTest, TheLogGivesBackEveryByteInOrderWithTimesThatNeverGoBack) {
    Flood("flood.log");
    QByteArray log = FileBytes(Path("flood.log"));
    ASSERT_TRUE(log.endsWith('\n'));
    log.chop(1);
    std::string received;
    std::vector<std::string> sent;
    QDateTime last = QDateTime::fromSecsSinceEpoch(0);
    for (const QByteArray& line : log.split('\n')) {
        const QDateTime when = QDateTime::fromString(line.left(23), capture_text::kStampFormat);
        ASSERT_TRUE(when.isValid() && last <= when) << line.left(40).toStdString();
        last = when;
        const std::string bytes = EncodeTransmitBytes(line.mid(27).toStdString(), DisplayMode::Hex);
        ASSERT_TRUE(line.mid(23, 4) == " RX " || line.mid(23, 4) == " TX ");
        (line.mid(24, 2) == "RX" ? received : sent.emplace_back()) += bytes;
    }
    EXPECT_TRUE(received == flood_);
    EXPECT_EQ(sent, (std::vector<std::string>{"AT\r", std::string("\0\xff\n", 3)}));
}

}  // namespace
}  // namespace kestrum
