// The serial device disappears while the text file sender is sending to it: the loss is said
// once, the send stops, what was echoed stays and is only what went out, and the same file
// goes out whole to the device once it is back.

#include <QFile>
#include <QLatin1String>
#include <QSignalSpy>

#include "reliability/pty_window.h"
#include "session/port_constants.h"
#include "ui/main/main_constants.h"
#include "ui/tools/sendfrm.h"
#include "ui/widgets/drop_down_list.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;

constexpr int kLines = 8000;

// Lines of the file as it is written (CR LF ends) and as it goes out (the sender ends every
// line with CR LF) and is echoed in Ascii without Process Cr/Lf.
struct TextFile {
    std::string content;
    std::string sent;
    std::string echo;
};

TextFile Lines() {
    TextFile file;
    for (int i = 0; i < kLines; ++i) {
        const std::string line = "line " + std::to_string(100000 + i) + " of the file";
        file.content += line + "\r\n";
        file.sent += line + "\r\n";
        file.echo += line + "^M^J";
    }
    return file;
}

class SenderDeviceLossTest : public PtyWindowTest {
protected:
    Sendfrm& OpenSender(const std::string& content) {
        QFile file(folder_.filePath("lines.txt"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content.data(), static_cast<qint64>(content.size()));
        file.close();
        settings_.SaveSetting("File", file.fileName());
        Start("Ascii");
        sender_ = std::make_unique<Sendfrm>(window_->Tools());
        sender_->Combo2().SetText("Ascii");
        return *sender_;
    }

    ~SenderDeviceLossTest() override { sender_.reset(); }

    std::unique_ptr<Sendfrm> sender_;
};

TEST_F(SenderDeviceLossTest, LossMidSendStopsItOnceAndTheReturnedDeviceGetsTheWholeFile) {
    const TextFile file = Lines();
    Sendfrm& sender = OpenSender(file.content);
    ASSERT_TRUE(port_->PortOpen());
    const QString lostDevice = device_->DevicePath();
    QSignalSpy finished(&sender, &Sendfrm::SendFinished);
    {
        DeviceSink device(*device_, file.sent.size() / 4);
        sender.SendButton_Click();
        ASSERT_TRUE(PumpEventsUntil([&] { return !sender.Sending(); }, 60s))
            << "the send went on after the device was lost";
        const std::string received = device.Received();
        EXPECT_TRUE(device.HungUp());
        EXPECT_EQ(received, file.sent.substr(0, received.size()));
    }
    PumpEventsFor(300ms);
    EXPECT_EQ(finished.count(), 1);
    ASSERT_EQ(prompts_.Messages().size(), 1u) << prompts_.Messages().back().toStdString();
    EXPECT_TRUE(prompts_.Messages()[0].startsWith(QLatin1String(port_text::kMsgDeviceLost)));
    EXPECT_TRUE(prompts_.Messages()[0].contains(lostDevice));
    EXPECT_FALSE(port_->PortOpen());
    // Whole lines, each of which went to the port, and not all of them.
    const std::string echoed = MonitorText();
    EXPECT_EQ(echoed, file.echo.substr(0, echoed.size()));
    EXPECT_TRUE(echoed.empty() || echoed.ends_with("^M^J"));
    EXPECT_LT(echoed.size(), file.echo.size());

    PtyPair& returned = ReturnDevice();
    DeviceSink device(returned);
    sender.SendButton_Click();
    ASSERT_TRUE(PumpEventsUntil([&] { return !sender.Sending(); }, 60s));
    ASSERT_TRUE(PumpEventsUntil([&] { return device.Count() >= file.sent.size(); }, 10s))
        << device.Count() << " of " << file.sent.size();
    EXPECT_TRUE(device.Received() == file.sent);
    EXPECT_EQ(MonitorText(), echoed + file.echo);
    EXPECT_EQ(prompts_.Messages().size(), 1u);
    EXPECT_EQ(finished.count(), 2);
}

}  // namespace
}  // namespace kestrum
