// The traffic path with no window, on the in-memory port: a receive drained whole, what a
// send writes (one write per byte; the encoding is EncodeTransmitBytes'), echoes and hands on,
// and what a refusal tells. (Echo colours and the capture file: the main window's traffic and
// capture tests; a real port: the headless test.)

#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>

#include "session/app_state.h"
#include "session/port_constants.h"
#include "session/port_session.h"
#include "session/traffic_path.h"
#include "storage/settings_store.h"
#include "support/memory_serial_port.h"

namespace kestrum {
namespace {

TEST(TrafficPath, DrainsWholeHandsOnWhatWentOutAndTellsARefusalOnlyWhileThePortStaysOpen) {
    QTemporaryDir folder;
    SettingsStore settings(folder.filePath("Kestrum.ini"));
    MemorySerialPort port;
    AppState state;
    PortSession session(port, settings);
    TrafficPath traffic(session, state);
    QStringList told;  // warnings, "failed N" and "sent ECHO" in their order
    std::vector<std::string> received;
    const auto tell = [&](const QString& text) { told << text; };
    QObject::connect(&session, &PortSession::Warning, tell);
    QObject::connect(&traffic, &TrafficPath::Warning, tell);
    QObject::connect(&traffic, &TrafficPath::Sent, [&](const SentTraffic& sent) {
        told << QStringLiteral("sent %1").arg(QString::fromStdString(sent.echo));
    });
    QObject::connect(&traffic, &TrafficPath::SendFailed, [&](TrafficSource, int written) {
        told << QStringLiteral("failed %1").arg(written);
    });
    QObject::connect(&traffic, &TrafficPath::Received,
                     [&](const std::string& bytes) { received.push_back(bytes); });

    port.SetRThreshold(0);  // arrivals wait unannounced
    traffic.SendText("41 42 ", DisplayMode::Hex, TrafficSource::CommandButton);
    port.InjectReceived("x");
    port.InjectReceived("yz");
    traffic.DrainReceived();
    traffic.DrainReceived();
    EXPECT_EQ(received, std::vector<std::string>{"xyz"}) << "one piece; nothing twice";
    state.MainMode = static_cast<std::int16_t>(DisplayMode::Decimal);
    traffic.SendBytes("\x01Z", TrafficSource::Sequence);
    port.FailNext(MemorySerialPort::Operation::Output, PortErrorKind::Other);
    traffic.SendText("43 44 ", DisplayMode::Hex, TrafficSource::SendString);
    EXPECT_EQ(traffic.Write("E"), std::nullopt);
    port.FailNext(MemorySerialPort::Operation::Output, PortErrorKind::Other);
    EXPECT_EQ(traffic.Write("F"), "Warning: The Com port refused the data; the send stopped");
    port.LoseDevice(QString());
    EXPECT_EQ(traffic.Write("G"), "") << "told once, as a lost device";
    port.SetOpenFailure(1, PortErrorKind::PortInUse);
    traffic.SendBytes("H", TrafficSource::Sequence);

    EXPECT_EQ(port.Written(), "AB\x01ZDE") << "a refused byte loses only itself";
    EXPECT_EQ(port.OutputCalls(), 9) << "one write per byte of a string";
    EXPECT_EQ(session.Counters().Sent(), 6U);
    EXPECT_EQ(session.Counters().Received(), 3U);
    EXPECT_EQ(told.join(" | "),
              QStringList({"sent 41 42 ", "sent 001 090  ", "failed 1",
                           "Warning: The Com port refused 1 of 2 bytes; the string is not "
                           "shown as sent",
                           port_text::kMsgDeviceLost,
                           "Warning: Comm port in use by another application", "failed 0"})
                  .join(" | "));

    // The echo is the string as typed; with Process Cr/Lf, Ascii line ends become breaks.
    port.SetOpenFailure(1, std::nullopt);
    const struct {
        DisplayMode mode;
        std::int16_t processCrLf;
        const char* text;
        const char* echo;
    } echoes[] = {{DisplayMode::Decimal, 0, "300 065 ", "300 065 "},
                  {DisplayMode::Ascii, 0, "AT^M^a^", "AT^M^a^"},
                  {DisplayMode::Ascii, 1, "AT^M^a^", "AT\r!"}};
    for (const auto& c : echoes) {
        state.ProcessCrLf = c.processCrLf;
        traffic.SendText(c.text, c.mode, TrafficSource::SendString);
        EXPECT_EQ(told.takeLast(), QStringLiteral("sent ") + c.echo);
    }
    EXPECT_EQ(port.Written().substr(6), "AAT\r!AT\r!");
}

}  // namespace
}  // namespace kestrum
