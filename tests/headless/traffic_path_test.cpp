// The traffic path with no window and no display: a program with only a QCoreApplication,
// linked against the session layer alone, sends and receives through it on a pseudo-terminal
// on an RFC 2217 server and on a raw TCP stream (ser2net serving pseudo-terminals).

#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include "platform/port_router.h"
#include "session/app_state.h"
#include "session/port_session.h"
#include "session/traffic_path.h"
#include "storage/settings_store.h"
#include "support/pty_pair.h"
#include "support/ser2net.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;

TEST(HeadlessTrafficPath, SendsAndReceivesOnLocalRfc2217AndRawPortsWithNoGuiLoaded) {
    QTemporaryDir folder;
    SettingsStore settings(folder.filePath("Kestrum.ini"));
    PtyPair local;
    PtyPair served;
    PtyPair streamed;
    const Ser2net rfc2217(folder.path(), served.DevicePath(), true);
    const Ser2net raw(folder.path(), streamed.DevicePath(), false);
    settings.SaveSetting("Device1", local.DevicePath());
    settings.SaveSetting("Device2", QStringLiteral("rfc2217://127.0.0.1:%1").arg(rfc2217.Port()));
    settings.SaveSetting("Device3", QStringLiteral("socket://127.0.0.1:%1").arg(raw.Port()));
    PortRouter port(DevicesFromSettings(settings));
    const AppState state;
    PortSession session(port, settings);
    TrafficPath traffic(session, state);
    std::string received;
    QStringList told;
    QObject::connect(&traffic, &TrafficPath::Received,
                     [&](const std::string& bytes) { received += bytes; });
    QObject::connect(&session, &PortSession::Warning, [&](const QString& text) { told << text; });

    const std::string command("AT\0\xFF\r", 5);
    for (const auto& [number, device] : {std::pair{1, &local}, {2, &served}, {3, &streamed}}) {
        SCOPED_TRACE(number);
        port.Close();
        port.SetCommPort(number);
        received.clear();
        ASSERT_FALSE(traffic.RefuseUse());
        traffic.SendBytes(command, TrafficSource::Sequence);
        EXPECT_EQ(device->Read(command.size(), 5s), command);
        ASSERT_TRUE(device->Write("OK\xFF\r\n"));
        EXPECT_TRUE(PumpEventsUntil([&] { return received == "OK\xFF\r\n"; }, 5s)) << received;
    }
    EXPECT_EQ(told, QStringList());
    EXPECT_EQ(session.Counters().Sent(), 3 * command.size());

    QFile maps(QStringLiteral("/proc/self/maps"));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QByteArray loaded = maps.readAll();
    EXPECT_FALSE(loaded.contains("libQt6Gui")) << "the session layer pulled in a GUI module";
    EXPECT_FALSE(loaded.contains("libQt6Widgets"));
}

}  // namespace
}  // namespace kestrum
