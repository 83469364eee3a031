// Network ports never make the window wait: servers on 127.0.0.1 that accept and then say
// nothing, stop answering, never confirm settings or never read, with the longest stand of
// the event loop measured through each case.

#include <QTcpServer>
#include <QTcpSocket>

#include "platform/port_router.h"
#include "session/reconnect_watch.h"
#include "support/network_window.h"
#include "support/reliability_helpers.h"
#include "ui/main/status_line.h"
#include "ui/tools/comfrm.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

constexpr qint64 kGapBoundMs = 100;

// A device server played on the test's own event loop, so it answers only while the window's
// loop runs. Silent: accepts and says nothing. Agreeing: takes COM-PORT-OPTION and never
// confirms settings. AnswerOnce: confirms the first settings of each connection (9600,n,8,1),
// then nothing.
// Stalled: reads nothing.
class Peer {
public:
    enum class Mode { Silent, Agreeing, AnswerOnce, Stalled };
    explicit Peer(Mode mode) : mode_(mode) {
        EXPECT_TRUE(server_.listen(QHostAddress::LocalHost));
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                if (mode_ == Mode::Stalled) {
                    socket->setReadBufferSize(1);
                    continue;
                }
                QObject::connect(socket, &QTcpSocket::readyRead,
                                 [this, socket] { Answer(*socket); });
            }
        });
    }
    QString Url(const char* scheme) const {
        return QStringLiteral("%1://127.0.0.1:%2")
            .arg(QLatin1String(scheme))
            .arg(server_.serverPort());
    }
    const std::string& Received() const { return received_; }
    int Opens() const { return opens_; }

private:
    void Answer(QTcpSocket& socket) {
        const QByteArray bytes = socket.readAll();
        received_.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        if (mode_ == Mode::Silent) {
            return;
        }
        if (bytes.contains("\xFF\xFB\x2C")) {  // WILL COM-PORT-OPTION: a new open
            ++opens_;
            socket.write("\xFF\xFD\x2C");
        }
        if (mode_ == Mode::AnswerOnce && !socket.property("answered").toBool() &&
            bytes.contains("\xFA\x2C\x04")) {
            socket.setProperty("answered", true);
            socket.write(QByteArray::fromStdString(
                "\xFF\xFA\x2C\x65\x00\x00\x25\x80\xFF\xF0\xFF\xFA\x2C\x66\x08\xFF\xF0"
                "\xFF\xFA\x2C\x67\x01\xFF\xF0\xFF\xFA\x2C\x68\x01\xFF\xF0"s));
        }
    }

    Mode mode_;
    QTcpServer server_;
    std::string received_;
    int opens_ = 0;
};

TEST_F(NetworkPortTest, APickedPortWhoseServerSaysNothingConnectsWhileSendsWaitInOrder) {
    Peer peer(Peer::Mode::Silent);
    const QString endpoint = peer.Url("rfc2217").mid(10);
    Mainfrm& window = StartAt(peer.Url("rfc2217"), "Ascii");
    notices_.clear();
    GapMeter gaps;
    window.Combo1().SetText("1");
    EXPECT_EQ(window.Status().StateText(), "Connecting to " + endpoint + "...");
    window.SendBox().setText("A");
    window.SendButton_Click();
    window.SendBox().setText("B");
    window.SendButton_Click();
    Settle();
    EXPECT_TRUE(port_->PortOpen()) << "opened as a raw stream once nothing was negotiated";
    EXPECT_EQ(notices_.size(), 1u);
    EXPECT_EQ(window.Status().StateText(), "Open");
    ASSERT_TRUE(
        PumpEventsUntil([&] { return peer.Received().find('B') != std::string::npos; }, 3s));
    EXPECT_EQ(std::count(peer.Received().begin(), peer.Received().end(), 'A'), 1);
    EXPECT_LT(peer.Received().find('A'), peer.Received().find('B'));
    EXPECT_TRUE(Messages().empty());
    EXPECT_LT(gaps.LongestMs(), kGapBoundMs);
}

TEST_F(NetworkPortTest, ASettingsChangeTheServerNeverConfirmsIsRefusedAndPutBackWithoutAWait) {
    Peer peer(Peer::Mode::AnswerOnce);
    Mainfrm& window = StartAt(peer.Url("rfc2217"), "Ascii");
    ASSERT_TRUE(port_->PortOpen());
    GapMeter gaps;
    window.Combo3().SetText("19200");
    EXPECT_TRUE(Messages().empty()) << "nothing is said before the server had its time";
    Settle();
    EXPECT_EQ(Messages(),
              std::vector<QString>{"Warning: This baud rate not supported for this port"});
    EXPECT_EQ(window.Combo3().Text(), "9600");
    EXPECT_EQ(port_->Settings(), "9600,n,8,1");
    EXPECT_EQ(settings_.GetSetting("CommPort1", ""), "9600,n,8,1");
    EXPECT_LT(gaps.LongestMs(), kGapBoundMs);
}

TEST_F(NetworkPortTest, ADeviceChangeToAHostThatNeverAnswersKeepsTheDialogAndTheOldDevice) {
    Peer peer(Peer::Mode::AnswerOnce);
    const QString old = peer.Url("rfc2217");
    Mainfrm& window = StartAt(old, "Ascii");
    ASSERT_TRUE(port_->PortOpen());
    Comfrm dialog(window.Tools(), [] { return QStringList{}; });
    dialog.show();
    GapMeter gaps;
    dialog.DeviceBox().setCurrentText("rfc2217://silent.invalid:4001");
    dialog.OKButton_Click();
    EXPECT_FALSE(dialog.OKButton().isEnabled()) << "one OK at a time";
    EXPECT_EQ(window.Status().StateText(), "Connecting to silent.invalid:4001...");
    ASSERT_TRUE(PumpEventsUntil([&] { return dialog.OKButton().isEnabled(); }, 5s));
    Settle();
    EXPECT_EQ(Messages(), std::vector<QString>{"Warning: The Com port could not be opened: "
                                               "silent.invalid:4001: The host name could not be "
                                               "looked up in time"});
    EXPECT_EQ(settings_.GetSetting("Device1", ""), old);
    EXPECT_TRUE(port_->PortOpen()) << "the device before is open again";
    EXPECT_LT(gaps.LongestMs(), kGapBoundMs);
}

TEST(NetworkWaitTest, TheWatchRetriesAServerThatNeverConfirmsOnItsScheduleForFree) {
    Peer peer(Peer::Mode::Agreeing);
    const QString url = peer.Url("rfc2217");
    PortRouter router([&url](int) { return url; }, nullptr, StandInLookup);
    ReconnectWatch watch(router);
    GapMeter gaps;
    watch.Start();
    PumpEventsFor(10s);
    EXPECT_GE(peer.Opens(), 3) << "a probe, a 2 s open and the next look, again and again";
    EXPECT_FALSE(router.PortOpen());
    EXPECT_EQ(watch.Problem(), "Warning: This baud rate not supported for this port");
    EXPECT_LT(gaps.LongestMs(), kGapBoundMs);
}

TEST_F(NetworkPortTest, ClosingWithAStalledPeerAndAFullOutputQueueEndsAtOnce) {
    Peer peer(Peer::Mode::Stalled);
    Mainfrm& window = StartAt(peer.Url("socket"), "Ascii");
    ASSERT_TRUE(port_->PortOpen());
    GapMeter gaps;
    port_->Output(std::string(1024 * 1024, 'x'));
    EXPECT_GT(port_->OutBufferCount(), 0);
    QElapsedTimer clock;
    clock.start();
    window.close();
    CloseWindows();
    port_.reset();
    EXPECT_LT(clock.elapsed(), 1000);
    PumpEventsFor(200ms);
    EXPECT_LT(gaps.LongestMs(), kGapBoundMs);
}

}  // namespace
}  // namespace kestrum
