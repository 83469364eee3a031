// The in-memory port stands in for the device in the window tests, so its scripted
// behaviour must match what those tests rely on.

#include "support/memory_serial_port.h"

#include <gtest/gtest.h>

namespace kestrum {
namespace {

using Operation = MemorySerialPort::Operation;
using PortEvent = MemorySerialPort::PortEvent;

PortErrorKind KindOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const PortError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "no PortError thrown";
    return PortErrorKind::Other;
}

TEST(MemorySerialPort, ScriptedFailuresThrowOnceAndChangeNothing) {
    MemorySerialPort port;
    port.FailNext(Operation::Open, PortErrorKind::PortInUse);
    EXPECT_EQ(KindOf([&] { port.SetPortOpen(true); }), PortErrorKind::PortInUse);
    EXPECT_FALSE(port.PortOpen());
    port.SetPortOpen(true);
    EXPECT_TRUE(port.PortOpen());

    port.FailNext(Operation::SetSettings, PortErrorKind::Other);
    EXPECT_EQ(KindOf([&] { port.SetSettings("19200,n,8,1"); }), PortErrorKind::Other);
    EXPECT_EQ(port.Settings(), "9600,n,8,1");

    port.FailNext(Operation::SetCommPort, PortErrorKind::InvalidPortNumber);
    EXPECT_EQ(KindOf([&] { port.SetCommPort(3); }), PortErrorKind::InvalidPortNumber);
    EXPECT_EQ(port.CommPort(), 1);
    EXPECT_EQ(KindOf([&] { port.SetCommPort(5); }), PortErrorKind::InvalidPortNumber);
}

TEST(MemorySerialPort, RefusedSettingsBehaveLikeADevice) {
    MemorySerialPort port;
    port.RefuseBaud(115200);
    port.RefuseSettings("9600,e,7,1");
    port.SetPortOpen(true);
    EXPECT_EQ(KindOf([&] { port.SetSettings("115200,n,8,1"); }),
              PortErrorKind::BaudRateNotSupported);
    EXPECT_EQ(KindOf([&] { port.SetSettings("9600,e,7,1"); }), PortErrorKind::SettingsNotApplied);
    EXPECT_EQ(KindOf([&] { port.SetSettings("9600,n,8"); }), PortErrorKind::SettingsNotApplied);
    EXPECT_EQ(port.Settings(), "9600,n,8,1");

    port.SetPortOpen(false);
    port.SetSettings("115200,n,8,1");  // a closed port takes anything well-formed
    EXPECT_EQ(KindOf([&] { port.SetPortOpen(true); }), PortErrorKind::SettingsNotApplied);

    port.SetSettings("4800,n,8,1");
    port.SetCommPort(2);
    port.SetOpenFailure(2, PortErrorKind::InvalidPortNumber);
    EXPECT_EQ(KindOf([&] { port.SetPortOpen(true); }), PortErrorKind::InvalidPortNumber);
    port.SetOpenFailure(2, std::nullopt);
    port.SetPortOpen(true);
    EXPECT_EQ(port.History(),
              (std::vector<PortEvent>{
                  {true, 1, "9600,n,8,1"}, {false, 1, "9600,n,8,1"}, {true, 2, "4800,n,8,1"}}));
}

TEST(MemorySerialPort, InjectedBytesRaiseOnCommWithoutReentry) {
    MemorySerialPort port;
    port.SetPortOpen(true);
    port.SetInputLen(1);
    int depth = 0;
    int maxDepth = 0;
    std::string seen;
    QObject::connect(&port, &SerialPort::OnComm, [&] {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        if (seen.empty()) {
            port.InjectReceived("B");  // arrives while the handler runs
        }
        seen += port.Input();
        --depth;
    });
    EXPECT_TRUE(port.InjectReceived("A"));
    EXPECT_EQ(seen, "AB");
    EXPECT_EQ(maxDepth, 1);
    EXPECT_EQ(port.OnCommCount(), 2);
    EXPECT_EQ(port.CommEvent(), kCommEventReceive);

    port.SetPortOpen(false);
    EXPECT_FALSE(port.InjectReceived("C")) << "a closed port receives nothing";
    EXPECT_EQ(seen, "AB");
}

}  // namespace
}  // namespace kestrum
