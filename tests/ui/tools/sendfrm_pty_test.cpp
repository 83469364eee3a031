// The text file sender on a real pseudo-terminal: pauses measured on the wire, and a long
// send that waits for the port instead of queueing the file in memory.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>

#include "platform/qt_serial_port.h"
#include "storage/settings_store.h"
#include "support/pty_pair.h"
#include "support/scripted_prompts.h"
#include "ui/main/app_state.h"
#include "ui/main/drop_down_list.h"
#include "ui/main/mainfrm.h"
#include "ui/tools/sendfrm.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class SenderOnPty : public ::testing::Test {
protected:
    SenderOnPty() : settings_(folder_.filePath("Kestrum.ini")) {
        settings_.SaveSetting("Device1", pty_.DevicePath());
        settings_.SaveSetting("Filetype", "Ascii");
    }

    Sendfrm& OpenSender(std::string_view content) {
        QFile file(folder_.filePath("send.txt"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content.data(), static_cast<qint64>(content.size()));
        file.close();
        settings_.SaveSetting("File", file.fileName());
        window_ = std::make_unique<Mainfrm>(state_, settings_, port_, prompts_);
        window_->Form_Load();
        EXPECT_TRUE(port_.PortOpen());
        sender_ = std::make_unique<Sendfrm>(*window_);
        sender_->Combo2().SetText("Ascii");
        return *sender_;
    }

    PtyPair pty_;
    QTemporaryDir folder_;
    SettingsStore settings_;
    QtSerialPort port_{DevicesFromSettings(settings_)};
    ScriptedPrompts prompts_;
    AppState state_;
    std::unique_ptr<Mainfrm> window_;
    std::unique_ptr<Sendfrm> sender_;
};

TEST_F(SenderOnPty, ByteDelayOfAHundredMillisecondsHoldsOnTheWire) {
    Sendfrm& sender = OpenSender("0123456789");
    sender.Combo6().SetText("100");
    sender.SendButton_Click();

    // Ten bytes, each followed by its pause, then the line end.
    std::string arrived;
    std::vector<Clock::time_point> at;
    while (arrived.size() < 12) {
        const std::string byte = pty_.Read(1, 2s);
        ASSERT_EQ(byte.size(), 1U) << "after " << arrived;
        arrived += byte;
        at.push_back(Clock::now());
    }
    EXPECT_EQ(arrived, "0123456789\r\n");
    const auto tenPauses =
        std::chrono::duration_cast<std::chrono::milliseconds>(at[10] - at[0]).count();
    RecordProperty("ten_byte_pauses_ms", static_cast<int>(tenPauses));
    std::cout << "ten pauses of 100 ms measured " << tenPauses << " ms on the wire\n";
    EXPECT_GE(tenPauses, 800);
    EXPECT_LE(tenPauses, 1200);
    for (std::size_t i = 1; i < at.size() - 1; ++i) {
        EXPECT_GE(at[i] - at[i - 1], 60ms) << "pause " << i;
    }
    ASSERT_TRUE(PumpEventsUntil([&] { return !sender.Sending(); }, 2s));
}

TEST_F(SenderOnPty, LongSendWaitsForThePortAndDeliversEverything) {
    // One line of 1 MiB: nobody reads the other end at first, so the port cannot send; the
    // sender must wait instead of queueing the whole file.
    std::string line(1024 * 1024, 'k');
    Sendfrm& sender = OpenSender(line);
    sender.Check1().setChecked(true);
    sender.SendButton_Click();
    int mostQueued = 0;
    PumpEventsUntil(
        [&] {
            mostQueued = std::max(mostQueued, port_.OutBufferCount());
            return false;
        },
        500ms);
    EXPECT_TRUE(sender.Sending());
    EXPECT_GT(mostQueued, 0) << "the port had to hold bytes back";
    EXPECT_LE(mostQueued, send_ui::kMaxQueuedBytes + 1);

    std::string arrived;
    const auto deadline = Clock::now() + 60s;
    while (arrived.size() < line.size() && Clock::now() < deadline) {
        arrived += pty_.Read(line.size() - arrived.size(), 200ms);
        mostQueued = std::max(mostQueued, port_.OutBufferCount());
    }
    EXPECT_EQ(arrived.size(), line.size());
    EXPECT_EQ(arrived, line);
    EXPECT_LE(mostQueued, send_ui::kMaxQueuedBytes + 1);
    ASSERT_TRUE(PumpEventsUntil([&] { return !sender.Sending(); }, 5s));
    EXPECT_TRUE(prompts_.Messages().empty());
}

}  // namespace
}  // namespace kestrum
