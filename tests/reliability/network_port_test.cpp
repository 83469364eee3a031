// Ports on other machines: the main window on rfc2217:// and socket:// addresses that ser2net
// serves from a pseudo-terminal (a flood included, and ser2net killed in the middle of one),
// and on servers that refuse, hang or misbehave.

#include <QTcpServer>
#include <QTimer>

#include "notation/received_formatter.h"
#include "platform/port_router.h"
#include "session/reconnect_watch.h"
#include "support/network_window.h"
#include "support/reliability_helpers.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

// An RFC 2217 server played from a thread, one scripted connection after another: it agrees
// to COM-PORT-OPTION or not, gives its answers once the settings request came, never answers
// SET-CONTROL, and sends `then` once an "A" came.
class ScriptedServer {
public:
    struct Connection {
        bool negotiate;
        std::string answers;  // to the settings request
        std::string then;
    };
    explicit ScriptedServer(std::vector<Connection> script) : listen_(ListenOnLoopback(port_)) {
        thread_ = std::thread([this, script = std::move(script)] {
            for (const Connection& c : script) {
                const int fd = client_ = ::accept(listen_, nullptr, nullptr);
                if (fd < 0) {
                    return;
                }
                const auto send = [fd](const std::string& bytes) {
                    static_cast<void>(::write(fd, bytes.data(), bytes.size()));
                };
                if (c.negotiate) {
                    send("\xFF\xFD\x2C"s);
                    ReadUntil(fd, "\xFA\x2C\x04\x01\xFF\xF0"s);  // the stop size request
                }
                send(c.answers);
                if (ReadUntil(fd, "A")) {
                    send(c.then);
                    ReadUntil(fd, "never");
                }
                ::close(fd);
            }
        });
    }
    ~ScriptedServer() {
        ::shutdown(listen_, SHUT_RDWR);
        ::shutdown(client_, SHUT_RDWR);
        thread_.join();
        ::close(listen_);
    }
    quint16 Port() const { return port_; }

private:
    // Reads until `wanted` came (true) or the client closed (false).
    static bool ReadUntil(int fd, const std::string& wanted) {
        std::string got;
        char buffer[4096];
        while (got.find(wanted) == std::string::npos) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0) {
                return false;
            }
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return true;
    }

    quint16 port_ = 0;
    int listen_;
    std::atomic<int> client_ = -1;
    std::thread thread_;
};

// Bytes each way through ser2net: the headless traffic path test.
TEST_F(NetworkPortTest, AppliesLineSettingsThroughSer2net) {
    for (const char* scheme : {"rfc2217", "socket"}) {
        SCOPED_TRACE(scheme);
        const bool rfc2217 = scheme == "rfc2217"s;
        Mainfrm& window = StartServed(scheme, "Ascii");
        ASSERT_TRUE(port_->PortOpen()) << Messages().size();
        // Told once that a raw stream's settings are its server's business.
        EXPECT_EQ(notices_.size(), rfc2217 ? 0u : 1u);

        window.Combo3().SetText("115200");
        window.Combo4().SetText("n,8,2");
        Settle();
        EXPECT_TRUE(Messages().empty()) << Messages().front().toStdString();
        EXPECT_EQ(pty_->DeviceSpeed(), rfc2217 ? B115200 : B9600);
        EXPECT_EQ((pty_->DeviceTermios()->c_cflag & CSTOPB) != 0, rfc2217);
        EXPECT_EQ(notices_.size(), rfc2217 ? 0u : 1u);
    }
}

TEST_F(NetworkPortTest, RefusedHangingAndHostileServersAreBoundedAndReportedOnce) {
    // The scripted server answers each connection in turn: no reconnect probe may take one.
    settings_.SaveSetting("ReconnectAutomatically", "0");
    // Nobody listens: the port-open warning names the address, without a long wait.
    const quint16 closed = FreePort();
    QElapsedTimer clock;
    clock.start();
    StartAt(QStringLiteral("socket://127.0.0.1:%1").arg(closed), "Ascii");
    EXPECT_LT(clock.elapsed(), 3000);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0],
              QStringLiteral("Warning: The Com port could not be opened: 127.0.0.1:%1: "
                             "Connection refused")
                  .arg(closed));

    // A server that accepts and never negotiates: open within the bound, data flows, the
    // unapplied settings said once. Then it sends a subnegotiation that never ends.
    const std::string format =
        "\xFF\xFA\x2C\x66\x08\xFF\xF0\xFF\xFA\x2C\x67\x01\xFF\xF0\xFF\xFA\x2C\x68\x01\xFF\xF0"s;
    ScriptedServer server(
        {{false, {}, "hi\xFF\xFF\xFF\xFA\x2C\x6B" + std::string(70 * 1024, 'x')},
         {true, {}, {}},
         {true, "\xFF\xFA\x2C\x65\x00\x00\x12\xC0\xFF\xF0"s + format, {}},  // 4800
         {true, "\xFF\xFA\x2C\x65\x00\x00\x25\x80\xFF\xF0"s + format,       // 9600
          "\xFF\xFA\x2C\x6B\x30\xFF\xF0"s}});                               // CTS and DSR on
    clock.restart();
    Mainfrm& window = StartAt(QStringLiteral("rfc2217://127.0.0.1:%1").arg(server.Port()), "Ascii");
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_TRUE(port_->PortOpen());
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(notices_.size(), 1u);
    window.SendBox().setText("A");
    window.SendButton_Click();
    const std::string before = MonitorText();
    ASSERT_TRUE(PumpEventsUntil([&] { return !Messages().empty(); }, 5s));
    PumpEventsFor(300ms);
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(Messages()[0].contains(QLatin1String("64 KiB")));
    EXPECT_EQ(MonitorText(), before + FormatReceived("hi\xFF", DisplayMode::Ascii, false));
    EXPECT_FALSE(port_->PortOpen());

    // Agreed to COM-PORT-OPTION, then settings unconfirmed or confirmed at another baud rate.
    clock.restart();
    EXPECT_EQ(OpenAndSettle(), PortErrorKind::SettingsUnconfirmed);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(OpenAndSettle(), PortErrorKind::BaudRateNotSupported);

    // Settings confirmed, SET-CONTROL never answered: open, without control lines.
    std::vector<InputLines> lines;
    QObject::connect(port_.get(), &SerialPort::InputLinesChanged,
                     [&](InputLines changed) { lines.push_back(changed); });
    EXPECT_EQ(OpenAndSettle(), std::nullopt);
    EXPECT_FALSE(port_->HasControlLines());
    port_->Output("A");
    ASSERT_TRUE(PumpEventsUntil([&] { return !lines.empty(); }, 3s));
    EXPECT_EQ(lines, (std::vector<InputLines>{{true, true, false, false}}));
    EXPECT_EQ(port_->ReadInputLines(), lines[0]);
}

TEST_F(NetworkPortTest, FloodArrivesWholeAndAKilledServerIsOneLossKeepingWhatWasShown) {
    for (const char* scheme : {"rfc2217", "socket"}) {
        SCOPED_TRACE(scheme);
        StartServed(scheme, "Hex");
        std::string sent(16 * 1024 * 1024, '\0');
        for (std::size_t i = 0; i < sent.size(); ++i) {
            sent[i] = static_cast<char>(i % 253);  // where each byte was, seen in its Hex
        }
        PlayedDevice stream(*pty_, sent, /*hangUpWhenSent=*/false);
        constexpr std::size_t kFlood = 4 * 1024 * 1024;
        ASSERT_TRUE(PumpEventsUntil([&] { return MonitorText().size() >= 3 * kFlood; }, 60s));
        const std::string flooded = MonitorText();

        server_->Kill();
        ASSERT_TRUE(PumpEventsUntil([&] { return !Messages().empty(); }, 5s));
        PumpEventsFor(500ms);
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_TRUE(Messages()[0].contains(QStringLiteral("127.0.0.1:%1").arg(server_->Port())));
        const std::string shown = MonitorText();
        ASSERT_EQ(shown.compare(0, flooded.size(), flooded), 0) << "shown text was taken back";
        ASSERT_EQ(shown.size() % 3, 0u);
        EXPECT_EQ(shown, FormatReceived(std::string_view(sent).substr(0, shown.size() / 3),
                                        DisplayMode::Hex, false));
    }
}

// An unknown host and a lookup that never answers are refused within the open's bound. The
// reconnect watch's look at a server never waits: "not yet" while nothing listens, and the
// watch reopens the port by itself once a server is back at the address.
TEST(NetworkReconnectTest, TheLookNeverWaitsAndTheWatchReopensOnceTheServerIsBack) {
    const quint16 port = FreePort();
    QString device;
    PortRouter router([&device](int) { return device; }, nullptr, StandInLookup);
    std::vector<QString> failures;
    QObject::connect(&router, &SerialPort::OpenFailed, [&failures](const PortError& error) {
        failures.push_back(QString::fromStdString(error.what()));
    });
    GapMeter gaps;
    for (const char* host : {"kestrum-no-such-host.invalid", "silent.invalid"}) {
        device = QStringLiteral("socket://%1:%2").arg(QLatin1String(host)).arg(port);
        router.Open();
        ASSERT_TRUE(PumpEventsUntil([&] { return !router.Opening(); }, 3500ms));
    }
    EXPECT_EQ(failures,
              (std::vector<QString>{
                  QStringLiteral("kestrum-no-such-host.invalid:%1: Unknown host").arg(port),
                  QStringLiteral("silent.invalid:%1: The host name could not be looked "
                                 "up in time")
                      .arg(port)}));

    device = QStringLiteral("socket://localhost:%1").arg(port);
    ReconnectWatch watch(router);
    watch.Start();
    PumpEventsFor(1200ms);
    EXPECT_FALSE(router.PortOpen());

    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, port));
    ASSERT_TRUE(PumpEventsUntil([&] { return router.PortOpen(); }, 3s));
    EXPECT_FALSE(watch.Watching());
    EXPECT_LT(gaps.LongestMs(), 100) << "no look and no open blocked";
}

}  // namespace
}  // namespace kestrum
